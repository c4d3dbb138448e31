// Outlines of the adjustable library shapes, each closed and filling the
// unit square (0, 0)-(1, 1); the shape element scales them to its size.
// The shape library adds its other outlines here.
#pragma once

#include "platform/graphics/BezierPath.h"

#include <QRectF>
#include <QSizeF>

class DFShapeFactory {
public:
    // A star of `points` tips (3 to 100) touching the square's edges, the
    // first tip at the top; the inner corners lie on a circle of
    // `innerDiameter` (0 to 1) times the outer one.
    static ql::BezierPath star(int points, double innerDiameter);
    // A square whose corners are rounded with `radius` (0 to 0.5) of its
    // side; 0.5 gives a circle.
    static ql::BezierPath roundRectWithCornerRadius(double radius);
    // A disc with a round hole of `innerDiameter` (0 to 1) times its own,
    // the hole running the other way so that it stays open under either
    // winding rule.
    static ql::BezierPath ring(double innerDiameter);
};

// The largest rectangle of the size's proportions inside `rect`, centred
// in it; `rect` itself when the size has no proportions.
QRectF ScaledRectForSize(QSizeF size, const QRectF& rect);
