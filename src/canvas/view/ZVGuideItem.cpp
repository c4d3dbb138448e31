#include "canvas/view/ZVGuideItem.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVGuideView.h"

#include <QPainter>

namespace ql {

ZVGuideItem::ZVGuideItem(ZVGuideView& guideView, QGraphicsItem* parent) : QGraphicsItem(parent), m_guideView(&guideView)
{
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    connect(&guideView, &ZVGuideView::needsDisplay, this, &ZVGuideItem::follow);
    if (ZVCanvasView* page = guideView.canvas())
        m_bounds = page->bounds();
}

void ZVGuideItem::follow()
{
    const ZVCanvasView* page = m_guideView ? m_guideView->canvas() : nullptr;
    const QRectF bounds = page ? page->bounds() : QRectF();
    if (bounds != m_bounds) {
        prepareGeometryChange();
        m_bounds = bounds;
    }
    update();
}

QRectF ZVGuideItem::boundingRect() const
{
    return m_bounds;
}

void ZVGuideItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (m_guideView)
        m_guideView->drawRect(*painter);
}

} // namespace ql
