#include "panels/imageedit/ImageRotateTool.h"

#include "panels/imageedit/ImageEditView.h"

#include <cmath>
#include <numbers>

namespace ql {

namespace {

double pointerAngle(QPointF centre, QPointF point)
{
    // Degrees, clockwise on screen (y grows downwards).
    return std::atan2(point.y() - centre.y(), point.x() - centre.x()) * 180.0 / std::numbers::pi;
}

} // namespace

void ImageRotateTool::press(QPointF, QPointF viewPoint)
{
    m_centre = m_view.mapFromScene(m_view.sceneRect().center());
    m_startAngle = m_view.rotationAngle();
    m_startPointer = pointerAngle(m_centre, viewPoint);
}

void ImageRotateTool::drag(QPointF, QPointF viewPoint)
{
    m_view.setRotationAngle(m_startAngle + pointerAngle(m_centre, viewPoint) - m_startPointer);
}

} // namespace ql
