// Shadows and blurs of path shapes, drawn as blurred raster layers (the
// painter has no shadows of its own).
#pragma once

#include "platform/graphics/BezierPath.h"

#include <QColor>
#include <QPainter>
#include <QPointF>

namespace ql {

struct Shadow {
    QPointF offset;          // in the painter's coordinates
    double blurRadius = 0.0; // in device pixels
    QColor color = QColor(0, 0, 0, 85);
};

// The shadow that the area around the path casts inside it, as if the
// shape were cut into the surface.
void paintInnerShadow(QPainter& painter, const QPainterPath& path, const Shadow& shadow);
inline void fillWithInnerShadow(QPainter& painter, const BezierPath& path, const Shadow& shadow)
{
    paintInnerShadow(painter, path.toPainterPath(), shadow);
}
// A blurred copy of the path's fill in the colour, where the path lies.
void drawBlurWithColor(QPainter& painter, const BezierPath& path, const QColor& color, double radius);

} // namespace ql
