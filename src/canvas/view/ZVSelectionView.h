// The rubber band the page shows while a selection or zoom rectangle is
// dragged: translucent blue with a black edge. It follows the page's band
// frame and hidden flag.
#pragma once

#include <QGraphicsItem>
#include <QObject>
#include <QPointer>

class ZVCanvasView;

namespace ql {

class ZVSelectionView : public QObject, public QGraphicsItem {
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    ZVSelectionView(ZVCanvasView& page, QGraphicsItem* parent);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void follow();

    QPointer<ZVCanvasView> m_page;
    QRectF m_frame;
};

} // namespace ql
