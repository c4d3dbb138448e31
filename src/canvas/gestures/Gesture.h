// One pointer gesture from press to release. The receiver of a press (page,
// element, resize or rotation handle) makes the gesture and feeds it the
// drags and the release.
#pragma once

namespace ql {

struct CanvasEvent;

class Gesture {
public:
    virtual ~Gesture() = default;
    virtual void press(const CanvasEvent& event) = 0;
    virtual void drag(const CanvasEvent& event) = 0;
    virtual void release(const CanvasEvent& event) = 0;
};

} // namespace ql
