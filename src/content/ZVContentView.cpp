#include "content/ZVContentView.h"

#include "canvas/ZVPuttyView.h"

ZVContentView::ZVContentView(QObject* parent) : KVObject(parent) {}

const ql::PropertyTable& ZVContentView::staticTable()
{
    static const ql::PropertyTable table =
        ql::PropertyTableBuilder<ZVContentView>(&baseTable())
            .property("frame", &ZVContentView::frame, &ZVContentView::setFrame)
            .property("puttyView", &ZVContentView::puttyView, &ZVContentView::setPuttyView)
            .property("editMode", &ZVContentView::editMode, &ZVContentView::setEditMode)
            .property("innerShadowEnabled", &ZVContentView::innerShadowEnabled,
                      &ZVContentView::setInnerShadowEnabled)
            .build();
    return table;
}

const ql::PropertyTable& ZVContentView::properties() const
{
    return staticTable();
}

void ZVContentView::setFrame(const QRectF& frame)
{
    changeValue(QStringLiteral("frame"), m_frame, frame);
}

ZVPuttyView* ZVContentView::puttyView() const
{
    return qobject_cast<ZVPuttyView*>(m_puttyView.data());
}

void ZVContentView::setPuttyView(ZVPuttyView* element)
{
    changeValue(QStringLiteral("puttyView"), m_puttyView, element);
}

void ZVContentView::setEditMode(bool editMode)
{
    changeValue(QStringLiteral("editMode"), m_editMode, editMode);
}

void ZVContentView::setInnerShadowEnabled(bool enabled)
{
    changeValue(QStringLiteral("innerShadowEnabled"), m_innerShadowEnabled, enabled);
}
