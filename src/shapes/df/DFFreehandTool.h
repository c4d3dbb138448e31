// Draws one stroke per press, drag and release, thinned into curves that
// stay within 1 point of the pointer's track.
#pragma once

#include "shapes/df/DFTool.h"

#include <vector>

class DFFreehandTool final : public DFTool {
public:
    // How far the thinned curves may stray from the track, in points.
    static constexpr double tolerance = 1.0;

    QString name() const override { return QStringLiteral("Freehand"); }
    void press(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void drag(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void release(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void finish(DFDrawingView& view) override;
    void paintFeedback(QPainter& painter, const DFDrawingView& view) const override;

private:
    std::vector<QPointF> m_track;
    bool m_tracking = false;
};
