// The ground around the page: it keeps the page centred while the page is
// smaller than the visible area, draws the page's soft shadow and the
// outlines of selected elements where they reach beyond the page, and takes
// the presses that land outside the page: the handle or element lying there
// receives them. It lies under the page in the scene.
#pragma once

#include <QGraphicsItem>
#include <QObject>
#include <QPointer>

class ZVCanvasView;
class ZVHandleView;
class ZVPuttyView;

namespace ql {

struct CanvasEvent;

class ZVClipView : public QObject, public QGraphicsItem {
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    ZVClipView();

    void setPage(ZVCanvasView* page);
    ZVCanvasView* page() const;

    // The visible rectangle in page coordinates, adjusted as the clip view
    // adjusts it: on an axis where the visible size is at least the page's,
    // the origin moves to floor((visible − page) × −0.5), which centres the
    // page on whole points.
    static QRectF constrainBoundsRect(const QRectF& proposed, const QRectF& documentFrame);

    // Presses outside the page: a handle of a selected element lying there
    // takes the press; otherwise the selection is cleared and the topmost
    // element of a visible layer whose frame holds the point takes it.
    void mouseDown(const CanvasEvent& event);
    void mouseDragged(const CanvasEvent& event);
    void mouseUp(const CanvasEvent& event);
    ZVPuttyView* draggingView() const;

    // Repaints the part of the ground where outlines change.
    void updateOutline(const QRectF& sceneRect);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    // The elements of the page's visible layers, bottom first.
    QList<ZVPuttyView*> visibleElements() const;

    QPointer<ZVCanvasView> m_page;
    QPointer<ZVPuttyView> m_draggingView;
    QPointer<ZVHandleView> m_draggingHandle;
    bool m_draggingRotationHandle = false;
};

} // namespace ql
