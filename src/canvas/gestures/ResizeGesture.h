// Dragging a resize handle: the pointer's displacement, measured in the
// element's turned axes, gives a candidate frame from the frame at the press;
// the element takes it while it stays larger than 90 × 90 points, then snaps,
// and the other active elements follow by the same offset and scale. The
// release records one undo step for every element that changed. Texts stay
// laid out meanwhile, however many boxes are resized.
#pragma once

#include "canvas/gestures/GeometrySnapshot.h"
#include "canvas/gestures/Gesture.h"
#include "content/text/LaidOutTexts.h"

#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <optional>

class ZVHandleView;
class ZVPuttyView;

namespace ql {

class ResizeGesture : public Gesture {
public:
    // The smallest frame is larger than this on both axes.
    static constexpr double kMinimumFrame = 90.0;

    explicit ResizeGesture(ZVHandleView& handle);

    void press(const CanvasEvent& event) override;
    void drag(const CanvasEvent& event) override;
    void release(const CanvasEvent& event) override;

    bool hasStarted() const { return m_started; }

private:
    QPointer<ZVHandleView> m_handle;
    QPointer<ZVPuttyView> m_element;
    QPointF m_startPoint;
    QRectF m_startFrame;
    QRectF m_startContentFrame;
    bool m_started = false;
    GeometrySnapshot m_before;
    // Every step draws the resized boxes again: their texts stay laid out
    // from the press to the release.
    std::optional<text::LaidOutTexts::LiveChange> m_liveTexts;
};

} // namespace ql
