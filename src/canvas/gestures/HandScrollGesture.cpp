#include "canvas/gestures/HandScrollGesture.h"

#include "canvas/CanvasEvent.h"
#include "canvas/CanvasHost.h"
#include "canvas/ZVCanvasView.h"

namespace ql {

void HandScrollGesture::press(const CanvasEvent&)
{
    if (CanvasHost* host = m_page ? m_page->canvasHost() : nullptr)
        host->setCanvasCursor(CanvasCursor::standard(CanvasCursor::Shape::ClosedHand));
}

void HandScrollGesture::drag(const CanvasEvent& event)
{
    if (!m_page)
        return;
    m_page->setIsMoving(true);
    CanvasHost* host = m_page->canvasHost();
    if (!host)
        return;
    const QPointF displacement = event.location - m_page->selectionViewOrigin();
    const QRectF visible = host->visibleRect();
    host->scrollToPoint(visible.topLeft() - displacement);
    host->setCanvasCursor(CanvasCursor::standard(CanvasCursor::Shape::ClosedHand));
}

void HandScrollGesture::release(const CanvasEvent&)
{
    if (!m_page)
        return;
    m_page->setIsMoving(false);
    if (CanvasHost* host = m_page->canvasHost())
        host->setCanvasCursor(CanvasCursor::standard(CanvasCursor::Shape::OpenHand));
}

} // namespace ql
