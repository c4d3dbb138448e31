// Draws a straight line from where the pointer is pressed to where it is
// released.
#pragma once

#include "shapes/df/DFTool.h"

class DFLineTool final : public DFTool {
public:
    QString name() const override { return QStringLiteral("Line"); }
    void press(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void drag(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void release(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void finish(DFDrawingView& view) override;
    void paintFeedback(QPainter& painter, const DFDrawingView& view) const override;

private:
    QPointF m_start;
    QPointF m_end;
    bool m_tracking = false;
};
