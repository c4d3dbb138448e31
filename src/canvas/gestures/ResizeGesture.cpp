#include "canvas/gestures/ResizeGesture.h"

#include "canvas/CanvasEvent.h"
#include "canvas/CanvasHost.h"
#include "canvas/MoveBatch.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVHandleView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "platform/runtime/NotificationCenter.h"

namespace ql {

ResizeGesture::ResizeGesture(ZVHandleView& handle) : m_handle(&handle), m_element(handle.puttyView()) {}

void ResizeGesture::press(const CanvasEvent& event)
{
    if (!m_element)
        return;
    m_element->setIsMoving(true);
    if (auto* text = qobject_cast<ZVTextView*>(m_element->contentView())) {
        text->setEditMode(false);
        text->setSelectedRange({0, 0});
    }
    if (ZVCanvasView* page = m_element->canvas())
        m_before = GeometrySnapshot(page->activeViews());
    m_element->mouseDownOnHandle();
    if (ZVCanvasView* page = m_element->canvas()) {
        // Shift may have deselected the element; whoever is active now may change.
        for (ZVPuttyView* element : page->activeViews())
            m_before.add(element);
    }
    if (m_element->isLocked())
        return;
    m_startFrame = m_element->frame();
    m_startContentFrame = m_element->contentFrame();
    m_startPoint = event.location;
    m_started = true;
    m_liveTexts.emplace();
}

void ResizeGesture::drag(const CanvasEvent& event)
{
    if (!m_element || !m_handle || !m_started)
        return;
    ZVCanvasView* page = m_element->canvas();
    if (CanvasHost* host = page ? page->canvasHost() : nullptr)
        host->setCanvasCursor(m_handle->cursorForHandle());
    const QPointF measure =
        ZVHandleView::pointerMeasure(event.location - m_startPoint, m_element->frameCenterRotation());
    const QRectF candidate = ZVHandleView::candidateFrame(m_handle->handlePosition(), m_startFrame,
                                                          m_startContentFrame, measure.x(), measure.y());
    const QRectF before = m_element->frame();
    // Below the minimum the element keeps its frame, and so do the others.
    if (!(candidate.width() > kMinimumFrame && candidate.height() > kMinimumFrame))
        return;
    // The element's own guide pass gives the stick points it snaps to.
    m_element->setNewPuttyViewFrame(candidate);
    m_element->snap();
    if (page) {
        // The others follow with one guide pass for them all.
        const MoveBatch batch(*page);
        const QPointF offset = candidate.topLeft() - before.topLeft();
        const double scaleX = before.width() != 0 ? candidate.width() / before.width() : 1.0;
        const double scaleY = before.height() != 0 ? candidate.height() / before.height() : 1.0;
        for (ZVPuttyView* other : page->unlockedActiveViews()) {
            if (other == m_element)
                continue;
            const QRectF frame = other->frame();
            other->setNewPuttyViewFrame(
                QRectF(frame.topLeft() + offset, QSizeF(frame.width() * scaleX, frame.height() * scaleY)));
        }
    }
    m_element->setNeedsLayout();
}

void ResizeGesture::release(const CanvasEvent&)
{
    m_liveTexts.reset();
    if (!m_element)
        return;
    ZVCanvasView* page = m_element->canvas();
    if (page)
        page->clearGuides();
    m_element->setIsMoving(false);
    if (page) {
        const MoveBatch batch(*page);
        for (ZVPuttyView* element : page->activeViews())
            element->endMovePuttyViewOrigin();
    }
    m_before.recordUndo();
    NotificationCenter::defaultCenter().post(QStringLiteral("redrawLayerThumbs"), nullptr);
}

} // namespace ql
