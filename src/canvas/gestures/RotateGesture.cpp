#include "canvas/gestures/RotateGesture.h"

#include "canvas/CanvasEvent.h"
#include "canvas/CanvasHost.h"
#include "canvas/MoveBatch.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/ZVRotationHandleView.h"
#include "platform/runtime/NotificationCenter.h"

namespace ql {

RotateGesture::RotateGesture(ZVPuttyView& element) : m_element(&element) {}

void RotateGesture::press(const CanvasEvent& event)
{
    if (!m_element)
        return;
    ZVCanvasView* page = m_element->canvas();
    m_element->setIsMoving(true);
    m_element->setIsRotating(true);
    if (m_element->isLocked())
        return;
    if (CanvasHost* host = page ? page->canvasHost() : nullptr)
        host->setCursorRectsEnabled(false);
    m_element->setIsActive(true);
    if (page) {
        for (ZVPuttyView* element : page->activeViews())
            m_before.add(element);
    }
    // The centre of the element as it would stand unturned: the turn is
    // about the centre, so that is where it stands now.
    m_center = m_element->mapToPage(m_element->bounds().center());
    m_startAngle = ZVRotationHandleView::pointPairToBearingDegrees(event.location, m_center);
    m_initialRotation = m_element->frameCenterRotation();
    m_started = true;
}

void RotateGesture::drag(const CanvasEvent& event)
{
    if (!m_element || !m_started || m_element->isLocked() || !m_element->isActive())
        return;
    ZVCanvasView* page = m_element->canvas();
    double angle = m_initialRotation +
                   (ZVRotationHandleView::pointPairToBearingDegrees(event.location, m_center) - m_startAngle);
    if (page && page->shiftKeyPressed())
        angle = ZVRotationHandleView::roundToFortyFive(angle);
    if (!page) {
        m_element->setRotation(angle);
        return;
    }
    // One absolute angle for every selected element, and the page follows
    // them all once.
    const MoveBatch batch(*page);
    m_element->setRotation(angle);
    for (ZVPuttyView* other : page->unlockedActiveViews()) {
        if (other != m_element)
            other->setRotation(angle);
    }
}

void RotateGesture::release(const CanvasEvent&)
{
    if (!m_element)
        return;
    m_element->setIsMoving(false);
    m_element->setIsRotating(false);
    ZVCanvasView* page = m_element->canvas();
    if (CanvasHost* host = page ? page->canvasHost() : nullptr)
        host->setCursorRectsEnabled(true);
    m_before.recordUndo();
    NotificationCenter::defaultCenter().post(QStringLiteral("redrawLayerThumbs"), nullptr);
}

} // namespace ql
