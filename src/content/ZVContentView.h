// What every content of an element has: a frame inside the element, the weak
// link back to the element, and the edit and inner-shadow flags the element
// sets. The image, text and 3D text contents build on it.
#pragma once

#include "platform/archive/Codable.h"
#include "platform/object/KVObject.h"

#include <QPointer>
#include <QRectF>

class ZVPuttyView;

class ZVContentView : public ql::KVObject, public ql::Codable {
    Q_OBJECT
public:
    explicit ZVContentView(QObject* parent = nullptr);
    const ql::PropertyTable& properties() const override;

    QRectF frame() const { return m_frame; }
    virtual void setFrame(const QRectF& frame);
    QRectF bounds() const { return QRectF(QPointF(0, 0), m_frame.size()); }

    // The element that holds this content; the element sets it, and a
    // reader sets it again after decoding.
    ZVPuttyView* puttyView() const;
    virtual void setPuttyView(ZVPuttyView* element);

    bool editMode() const { return m_editMode; }
    virtual void setEditMode(bool editMode);
    bool innerShadowEnabled() const { return m_innerShadowEnabled; }
    void setInnerShadowEnabled(bool enabled);

protected:
    template <class C>
    static ql::PropertyTableBuilder<C> contentTable()
    {
        return ql::PropertyTableBuilder<C>(&ZVContentView::staticTable());
    }
    static const ql::PropertyTable& staticTable();

    QRectF m_frame;
    QPointer<QObject> m_puttyView;
    bool m_editMode = false;
    bool m_innerShadowEnabled = false;
};
