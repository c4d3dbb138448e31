#include "canvas/gestures/CameraOrbitGesture.h"

#include "canvas/CanvasEvent.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"

namespace ql {

CameraOrbitGesture::CameraOrbitGesture(ZVPuttyView& element) : m_element(element) {}

ZV3DTextView* CameraOrbitGesture::cameraControlled(const ZVPuttyView& element)
{
    auto* view = qobject_cast<ZV3DTextView*>(element.contentView());
    return view && view->allowsCameraControl() ? view : nullptr;
}

QPointF CameraOrbitGesture::contentPoint(QPointF pagePoint) const
{
    const QPointF local = m_element.mapFromPage(pagePoint);
    const ZVContentView* content = m_element.contentView();
    return content ? local - content->frame().topLeft() : local;
}

void CameraOrbitGesture::press(const CanvasEvent& event)
{
    if (ZV3DTextView* view = cameraControlled(m_element))
        view->cameraMouseDown(contentPoint(event.location));
}

void CameraOrbitGesture::drag(const CanvasEvent& event)
{
    if (ZV3DTextView* view = cameraControlled(m_element))
        view->cameraMouseDragged(contentPoint(event.location));
}

void CameraOrbitGesture::release(const CanvasEvent& event)
{
    if (ZV3DTextView* view = cameraControlled(m_element))
        view->cameraMouseUp(contentPoint(event.location));
}

} // namespace ql
