// The hand tool: dragging scrolls the canvas so that the pressed page point
// stays under the pointer; the hand closes while it drags.
#pragma once

#include "canvas/gestures/Gesture.h"

#include <QPointer>

class ZVCanvasView;

namespace ql {

class HandScrollGesture : public Gesture {
public:
    explicit HandScrollGesture(ZVCanvasView& page) : m_page(&page) {}

    void press(const CanvasEvent& event) override;
    void drag(const CanvasEvent& event) override;
    void release(const CanvasEvent& event) override;

private:
    QPointer<ZVCanvasView> m_page;
};

} // namespace ql
