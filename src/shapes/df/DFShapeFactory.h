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

    // The library's other figures, each one closed subpath within the unit
    // square (not all fill it: the library fits them by their bounds).
    // Right angle at the bottom left.
    static ql::BezierPath rightTriangle();
    // Point up, true proportions.
    static ql::BezierPath equilateralTriangle();
    // `sides` (3 to 100) corners on a circle, the first at the top.
    static ql::BezierPath regularPolygon(int sides);
    // Pointing right, its back curved in between the barbs.
    static ql::BezierPath inflectedArrowhead();
    // A notched chevron pointing right.
    static ql::BezierPath arrowTailFeather();
    static ql::BezierPath cross();
    static ql::BezierPath diagonalCross();
    // A rounded box with a tail rising from its top edge (the library turns
    // it over): `tailSide` 9 puts the tail on the right, anything else on
    // the left; `cornerRadius` (0 to 0.5) is of the box's height.
    static ql::BezierPath roundRectSpeechBalloon(int tailSide, double cornerRadius);
};

// The largest rectangle of the size's proportions inside `rect`, centred
// in it; `rect` itself when the size has no proportions.
QRectF ScaledRectForSize(QSizeF size, const QRectF& rect);
