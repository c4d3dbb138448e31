// Dragging elements: every active element moves by the pointer's
// displacement, one guide pass per step, snapping only when one element
// moves; the release ends the move, opens the content on a double click and
// records one undo step for the elements that moved.
#pragma once

#include "canvas/gestures/GeometrySnapshot.h"
#include "canvas/gestures/Gesture.h"

#include <QList>
#include <QPointer>

class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class MoveGesture : public Gesture {
public:
    explicit MoveGesture(ZVPuttyView& element);
    ~MoveGesture() override;

    void press(const CanvasEvent& event) override;
    void drag(const CanvasEvent& event) override;
    void release(const CanvasEvent& event) override;

    // The press of a handle: the move starts without a pointer location.
    void pressWithoutEvent();

private:
    void start(QPointF location);

    QPointer<ZVPuttyView> m_element;
    QPointer<ZVCanvasView> m_page;
    QList<QPointer<ZVPuttyView>> m_moving;
    GeometrySnapshot m_before;
};

} // namespace ql
