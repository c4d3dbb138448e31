// The rotate tool: dragging turns the picture about its centre by the angle
// the pointer sweeps around it.
#pragma once

#include "panels/imageedit/ImageEditTool.h"

namespace ql {

class ImageRotateTool : public ImageEditTool {
public:
    using ImageEditTool::ImageEditTool;

    void press(QPointF scenePoint, QPointF viewPoint) override;
    void drag(QPointF scenePoint, QPointF viewPoint) override;
    void release(QPointF, QPointF) override {}

private:
    QPointF m_centre;
    double m_startAngle = 0.0;
    double m_startPointer = 0.0;
};

} // namespace ql
