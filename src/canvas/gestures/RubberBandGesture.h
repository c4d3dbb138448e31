// Dragging on the empty page: the band spans the press point and the
// pointer in any direction; in the select mode the current layer is
// highlighted and every element whose content the band meets becomes active
// (Shift adds to the selection).
#pragma once

#include "canvas/gestures/Gesture.h"

#include <QPointF>
#include <QPointer>
#include <QRectF>

class ZVCanvasView;

namespace ql {

class RubberBandGesture : public Gesture {
public:
    RubberBandGesture(ZVCanvasView& page, bool selects);

    void press(const CanvasEvent& event) override;
    void drag(const CanvasEvent& event) override;
    void release(const CanvasEvent& event) override;

    // The band from the press point to a pointer point, positive in size.
    static QRectF bandFrame(QPointF origin, QPointF point);

protected:
    QPointer<ZVCanvasView> m_page;

private:
    bool m_selects;
};

// The zoom tool: a click zooms in by 0.2 at the point (out with Option); a
// dragged band zooms to fit it.
class ZoomClickGesture : public RubberBandGesture {
public:
    static constexpr double kStep = 0.2;

    explicit ZoomClickGesture(ZVCanvasView& page) : RubberBandGesture(page, false) {}
    void release(const CanvasEvent& event) override;
};

} // namespace ql
