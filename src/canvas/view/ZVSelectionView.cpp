#include "canvas/view/ZVSelectionView.h"

#include "canvas/ZVCanvasView.h"

#include <QPainter>

namespace ql {

ZVSelectionView::ZVSelectionView(ZVCanvasView& page, QGraphicsItem* parent) : QGraphicsItem(parent), m_page(&page)
{
    setAcceptedMouseButtons(Qt::NoButton);
    connect(&page, &KVObject::valueChanged, this, [this](const QString& key) {
        if (key.startsWith(QLatin1String("selectionView")))
            follow();
    });
    follow();
}

void ZVSelectionView::follow()
{
    if (!m_page)
        return;
    const QRectF frame = m_page->selectionViewFrame();
    if (frame != m_frame) {
        prepareGeometryChange();
        m_frame = frame;
    }
    setVisible(!m_page->selectionViewHidden());
    update();
}

QRectF ZVSelectionView::boundingRect() const
{
    return m_frame.adjusted(-1, -1, 1, 1);
}

void ZVSelectionView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    // The whole band, edge included, at 0.3.
    painter->setOpacity(0.3);
    painter->fillRect(m_frame, Qt::blue);
    painter->setPen(QPen(Qt::black, 1.0));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(m_frame);
}

} // namespace ql
