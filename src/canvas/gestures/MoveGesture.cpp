#include "canvas/gestures/MoveGesture.h"

#include "canvas/CanvasEvent.h"
#include "canvas/CanvasHost.h"
#include "canvas/MoveBatch.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/runtime/NotificationCenter.h"

#include <optional>

namespace ql {

MoveGesture::MoveGesture(ZVPuttyView& element) : m_element(&element) {}

MoveGesture::~MoveGesture()
{
    if (m_page)
        m_page->endElementDrag();
}

void MoveGesture::press(const CanvasEvent& event)
{
    start(event.location);
}

void MoveGesture::pressWithoutEvent()
{
    start(QPointF(0, 0));
}

void MoveGesture::start(QPointF location)
{
    ZVCanvasView* page = m_element ? m_element->canvas() : nullptr;
    if (!page)
        return;
    const QList<ZVPuttyView*> active = page->activeViews();
    m_before = GeometrySnapshot(active);
    {
        const MoveBatch batch(*page);
        for (ZVPuttyView* element : active) {
            m_moving.append(element);
            element->startMovePuttyViewOrigin(location);
        }
    }
    // The rest of the page is gathered once for all the steps.
    m_page = page;
    page->beginElementDrag();
}

void MoveGesture::drag(const CanvasEvent& event)
{
    if (!m_element)
        return;
    ZVCanvasView* page = m_element->canvas();
    if (m_element->isLocked()) {
        if (CanvasHost* host = page ? page->canvasHost() : nullptr)
            host->setCanvasCursor(CanvasCursor::standard(CanvasCursor::Shape::Forbidden));
        return;
    }
    // Panning the picture inside its crop belongs to the crop mode.
    if (m_element->cropMode())
        return;
    const QPointF displacement = event.location - m_element->lastDragLocation();
    int moved = 0;
    // Locked partners in the selection stay where they are.
    for (const QPointer<ZVPuttyView>& element : std::as_const(m_moving)) {
        if (element && !element->isLocked()) {
            element->movePuttyViewOrigin(displacement, false);
            ++moved;
        }
    }
    // One guide pass for the whole step; a single element then snaps.
    if (page && moved > 0) {
        page->puttyViewWasMoved(m_element);
        if (moved == 1 && page->activeViews().size() == 1)
            m_element->snap();
    }
    m_element->setLastDragLocation(event.location);
    m_element->setNeedsLayout();
}

void MoveGesture::release(const CanvasEvent& event)
{
    if (!m_element)
        return;
    QPointer<ZVPuttyView> element = m_element;
    if (event.clickCount == 2)
        element->openForEditing();
    {
        std::optional<MoveBatch> batch;
        if (m_page)
            batch.emplace(*m_page);
        for (const QPointer<ZVPuttyView>& each : std::as_const(m_moving)) {
            if (each)
                each->endMovePuttyViewOrigin();
        }
    }
    if (m_page)
        m_page->endElementDrag();
    m_before.recordUndo();
    NotificationCenter::defaultCenter().post(QStringLiteral("redrawLayerThumbs"), nullptr);
}

} // namespace ql
