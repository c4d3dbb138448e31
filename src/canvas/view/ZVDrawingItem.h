// The page's drawing surface on the canvas: a child of the page item over
// the page's elements, shown only while the page is drawn on, drawing what
// the surface holds and its tool's feedback. It takes no pointer events
// itself: the router hands them to the surface.
#pragma once

#include <QGraphicsItem>
#include <QObject>
#include <QPointer>

class ZVCanvasView;

namespace ql {

class ZVDrawingItem : public QObject, public QGraphicsItem {
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    ZVDrawingItem(ZVCanvasView& page, QGraphicsItem* parent);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void follow();

    QPointer<ZVCanvasView> m_page;
    QRectF m_bounds;
};

} // namespace ql
