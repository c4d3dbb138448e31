// Dragging a rotation handle: the element turns about its centre by the
// change of the pointer's bearing from that centre since the press (to a
// multiple of 45 degrees with Shift), and every other active element takes
// the same angle. The release records one undo step for every element that
// turned.
#pragma once

#include "canvas/gestures/GeometrySnapshot.h"
#include "canvas/gestures/Gesture.h"

#include <QPointF>
#include <QPointer>

class ZVPuttyView;

namespace ql {

class RotateGesture : public Gesture {
public:
    explicit RotateGesture(ZVPuttyView& element);

    void press(const CanvasEvent& event) override;
    void drag(const CanvasEvent& event) override;
    void release(const CanvasEvent& event) override;

    QPointF center() const { return m_center; }
    double startAngle() const { return m_startAngle; }
    double initialRotation() const { return m_initialRotation; }

private:
    QPointer<ZVPuttyView> m_element;
    QPointF m_center;
    double m_startAngle = 0.0;
    double m_initialRotation = 0.0;
    bool m_started = false;
    GeometrySnapshot m_before;
};

} // namespace ql
