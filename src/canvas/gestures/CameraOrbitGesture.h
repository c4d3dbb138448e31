// Turning a 3D text in edit mode: while its camera control is on, a press on
// the element and its drags turn the text's point of view instead of moving
// the element.
#pragma once

#include "canvas/gestures/Gesture.h"

#include <QPointF>

class ZVPuttyView;
class ZV3DTextView;

namespace ql {

class CameraOrbitGesture : public Gesture {
public:
    explicit CameraOrbitGesture(ZVPuttyView& element);

    // The element's 3D text when its camera control is on.
    static ZV3DTextView* cameraControlled(const ZVPuttyView& element);

    void press(const CanvasEvent& event) override;
    void drag(const CanvasEvent& event) override;
    void release(const CanvasEvent& event) override;

private:
    // The content's own coordinates of a page point.
    QPointF contentPoint(QPointF pagePoint) const;

    ZVPuttyView& m_element;
};

} // namespace ql
