// Path conversions and strokes: paths from element lists with quadratic
// curves, stroke outlines as fillable paths, and strokes kept inside.
#pragma once

#include "platform/graphics/BezierPath.h"

#include <QPainter>
#include <array>

namespace ql {

// One element of a foreign path that may hold quadratic curves.
struct PathElement {
    enum class Type { MoveTo, LineTo, QuadCurveTo, CurveTo, Close };
    Type type = Type::MoveTo;
    // Control points first, the end point last: one point for move and line,
    // two for a quadratic curve, three for a cubic one.
    std::array<QPointF, 3> points {};
};

// Quadratic curves become the cubic curves that trace them exactly.
BezierPath bezierPathWithElements(const QList<PathElement>& elements);
// The outline of the path stroked at `width` (with its caps, joins and
// miter limit), as a path to fill.
BezierPath pathWithStrokeWidth(const BezierPath& path, double width);
// Strokes only the half of the line inside the path, with the painter's pen
// colour at the path's width; within `clip` too when it is not empty.
void strokeInsideWithinRect(QPainter& painter, const BezierPath& path, const QRectF& clip = {});
inline void strokeInside(QPainter& painter, const BezierPath& path) { strokeInsideWithinRect(painter, path); }

} // namespace ql
