// What every content of an element has: a frame inside the element, the weak
// link back to the element, the edit and inner-shadow flags the element
// sets, and the two shape layers (`border` and `innerShadow`) that the
// element styles by key path and the content lays out over its bounds. The
// image, text and 3D text contents build on it.
#pragma once

#include "platform/archive/Codable.h"
#include "platform/object/KVObject.h"

#include <QPointer>
#include <QRectF>
#include <optional>

class ShapeLayer;
class ZVPuttyView;
namespace ql {
class UndoManager;
}

class ZVContentView : public ql::KVObject, public ql::Codable {
    Q_OBJECT
public:
    explicit ZVContentView(QObject* parent = nullptr);
    ~ZVContentView() override;
    const ql::PropertyTable& properties() const override;

    QRectF frame() const { return m_frame; }
    // A new size lays the layers out again.
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

    // The border stroke and the inner-shadow band, drawn above the content in
    // that order. They exist from the start, so the element's key paths
    // ("border.lineWidth", "innerShadow.shadowRadius", ...) always reach them.
    ShapeLayer* border() const { return m_border; }
    ShapeLayer* innerShadow() const { return m_innerShadow; }
    // The corner radius the content itself is clipped to: the border's, as of
    // the last layout.
    double layerCornerRadius() const { return m_layerCornerRadius; }
    // The view's own layer: the drop shadow the content casts and whether
    // it is cut at its rounded bounds, as the element sets them.
    ShapeLayer* layer() const { return m_layer; }

    // The view's opacity (its element's), and whether it shows at all.
    double alphaValue() const { return m_alphaValue; }
    void setAlphaValue(double alpha);
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);

    // Shapes the border and inner-shadow layers to the bounds (and whatever
    // a content adds), then asks for a redraw. While layout is held it waits.
    virtual void layout();
    // Lays out, as layout() does, only when the layers are not shaped for
    // the present bounds, border and inner shadow: asking again after a
    // layout draws nothing anew.
    void layoutIfNeeded();
    // Views drawing this content redraw on displayNeeded().
    void setNeedsDisplay() { emit displayNeeded(); }

    // Whether a picture this content keeps could not be decoded, so that it
    // draws a placeholder in its place.
    virtual bool hasUndecodablePicture() const { return false; }
    // Called once the content was drawn: what only makes the next drawing
    // quicker (a text's lines) goes to the budget kept for such things, so
    // that a long or crowded page is not held in full. Output draws once,
    // and lets go at once of what is too large for the budget; the window
    // and thumbnails draw again soon, and leave such a content as it is
    // rather than make it again at every drawing.
    enum class DrawnFor { Screen, Output };
    virtual void releaseDrawingCaches(DrawnFor) {}

    // Where this content's changes are recorded: its element's document.
    ql::UndoManager* undoManager() const;

    // While one is alive, changes of the content record no undo: reading,
    // and steps the content takes on its own rather than the user's.
    class UnrecordedChanges {
    public:
        explicit UnrecordedChanges(ZVContentView& view) : m_view(&view) { ++view.m_unrecorded; }
        ~UnrecordedChanges()
        {
            if (m_view)
                --m_view->m_unrecorded;
        }
        UnrecordedChanges(const UnrecordedChanges&) = delete;
        UnrecordedChanges& operator=(const UnrecordedChanges&) = delete;

    private:
        QPointer<ZVContentView> m_view;
    };
    bool isRecordingUndo() const { return m_unrecorded == 0; }

    // While one is alive, the layouts asked of the content wait and are
    // made once, when the last one ends: an element writing several of its
    // effects on the content has it laid out once, not after each.
    class HeldLayout {
    public:
        explicit HeldLayout(ZVContentView& view) : m_view(&view) { ++view.m_layoutHolds; }
        ~HeldLayout();
        HeldLayout(const HeldLayout&) = delete;
        HeldLayout& operator=(const HeldLayout&) = delete;

    private:
        QPointer<ZVContentView> m_view;
    };

signals:
    void displayNeeded();

protected:
    template <class C>
    static ql::PropertyTableBuilder<C> contentTable()
    {
        return ql::PropertyTableBuilder<C>(&ZVContentView::staticTable());
    }
    static const ql::PropertyTable& staticTable();

    // The generic undo of one observed change: a step that sets the key path
    // back to its old value, recorded on the element's document unless
    // changes are unrecorded. A null old value is set back as null, so that
    // the first gradient or mask given to a content can be taken back.
    void recordUndo(const ql::KeyValueChange& change);
    // The layers' part of layout().
    void layoutLayers();
    // Whether layout is held; if so, notes that one was asked for. Each
    // layout() begins with it.
    bool layoutWaits();
    // What the end of a hold does when a layout was asked for meanwhile.
    virtual void layoutAfterHold() { layout(); }

    QRectF m_frame;
    QPointer<QObject> m_puttyView;
    bool m_editMode = false;
    bool m_innerShadowEnabled = false;

private:
    ShapeLayer* m_border = nullptr;
    ShapeLayer* m_innerShadow = nullptr;
    ShapeLayer* m_layer = nullptr;
    double m_layerCornerRadius = 0.0;
    // What the layers were last shaped for.
    struct LayersShape {
        QRectF bounds;
        double cornerRadius = 0.0;
        double lineWidth = 0.0;
        bool innerShadow = false;
        bool operator==(const LayersShape&) const = default;
    };
    LayersShape layersShape() const;
    std::optional<LayersShape> m_layersShapedFor;
    double m_alphaValue = 1.0;
    bool m_hidden = false;
    int m_unrecorded = 0;
    int m_layoutHolds = 0;
    bool m_layoutWaiting = false;
};
