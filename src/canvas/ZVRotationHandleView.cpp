#include "canvas/ZVRotationHandleView.h"

#include "canvas/CanvasEvent.h"
#include "canvas/MoveBatch.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVHandleView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/gestures/RotateGesture.h"
#include "content/ZVTextView.h"

#include <cmath>

ZVRotationHandleView::ZVRotationHandleView(ZVHandleView& handle) : m_handleView(&handle) {}

ZVRotationHandleView::~ZVRotationHandleView() = default;

ZVHandleView* ZVRotationHandleView::handleView() const
{
    return m_handleView.data();
}

ZVPuttyView* ZVRotationHandleView::puttyView() const
{
    return m_handleView ? m_handleView->puttyView() : nullptr;
}

int ZVRotationHandleView::handlePosition() const
{
    return m_handleView ? m_handleView->handlePosition() : 0;
}

QRectF ZVRotationHandleView::frame() const
{
    // On the handle's outward side.
    static constexpr QPointF origins[] = {{0, 0}, {13, 0}, {25, 0}, {25, 12}, {0, 12}, {0, 25}, {13, 25}, {25, 25}};
    const int position = handlePosition();
    return QRectF(position >= 0 && position < 8 ? origins[position] : QPointF(), QSizeF(kSize, kSize));
}

QString ZVRotationHandleView::cursorImageName(int position)
{
    static const char* const names[] = {"rotatenw", "rotaten", "rotatene", "rotatee",
                                        "rotatew",  "rotatesw", "rotates", "rotatese"};
    return QString::fromLatin1(names[position >= 0 && position < 8 ? position : 0]);
}

ql::CanvasCursor ZVRotationHandleView::cursorForHandle() const
{
    const ZVPuttyView* element = puttyView();
    return ql::CanvasCursor::named(cursorImageName(handlePosition()), element ? element->frameCenterRotation() : 0.0,
                                   QPoint(15, 15));
}

double ZVRotationHandleView::pointPairToBearingDegrees(QPointF point, QPointF centre)
{
    return std::atan2(point.y() - centre.y(), point.x() - centre.x()) * 57.29577951308232;
}

double ZVRotationHandleView::roundToFortyFive(double a)
{
    const double s = a >= 0 ? 45.0 : -45.0;
    return a - (std::fmod(a + s / 2, s) - s / 2);
}

void ZVRotationHandleView::mouseDown(const ql::CanvasEvent& event)
{
    m_gesture.reset();
    ZVPuttyView* element = puttyView();
    if (!element)
        return;
    // The carrying handle's press: edited text ends and the press selects.
    if (auto* text = qobject_cast<ZVTextView*>(element->contentView())) {
        text->setEditMode(false);
        text->setSelectedRange({0, 0});
    }
    if (ZVCanvasView* page = element->canvas())
        page->setModifierFlags(event.modifiers);
    element->mouseDownOnHandle();
    m_gesture = std::make_unique<ql::RotateGesture>(*element);
    m_gesture->press(event);
}

void ZVRotationHandleView::mouseDragged(const ql::CanvasEvent& event)
{
    ZVPuttyView* element = puttyView();
    if (ZVCanvasView* page = element ? element->canvas() : nullptr)
        page->setModifierFlags(event.modifiers);
    if (m_gesture)
        m_gesture->drag(event);
}

void ZVRotationHandleView::mouseUp(const ql::CanvasEvent& event)
{
    std::unique_ptr<ql::Gesture> gesture = std::move(m_gesture);
    if (gesture)
        gesture->release(event);
    ZVPuttyView* element = puttyView();
    if (ZVCanvasView* page = element ? element->canvas() : nullptr) {
        const ql::MoveBatch batch(*page);
        for (ZVPuttyView* each : page->activeViews())
            each->endMovePuttyViewOrigin();
    }
}
