// Outlines the shape library offers beside the factory's adjustable ones:
// four figures given point by point (heart, user, martini, beaker) and four
// geometric ones (plus, check, cross, a thin arrow). Each is one closed
// subpath in the unit frame (0, 0)-(1, 1), laid out for y pointing down;
// every call builds a new path the caller may change freely. The library
// fits them by their bounds, so only shape and proportions matter.
#pragma once

#include "platform/graphics/BezierPath.h"

namespace ql::shapes {

// The figures set a miter limit of 4 after closing.
BezierPath heartShape();
BezierPath userShape();
BezierPath martiniShape();
BezierPath beakerShape();

// Twelve corners; fills the unit frame exactly.
BezierPath plusShape();
// An L-shaped stroke turned by 45 degrees; it reaches below y = 0.
BezierPath checkShape();
// An x whose arms meet the frame's corners; fills the unit frame exactly.
BezierPath crossShape();
// A thin arrow with its tail on `start` and its tip on `end`, placed by the
// one matrix that carries (0, 0) and (1, 1) there. Equal points collapse
// the outline onto `start`.
BezierPath arrowWithStart(QPointF start, QPointF end);

// The closed outline of a straight arrow: a tail of constant width from
// `start` and a triangular head whose tip is `end`. The arrow's length is
// taken in single precision. Equal points have no direction and give an
// empty path.
BezierPath bezierPathWithArrowFromPoint(QPointF start, QPointF end, double tailWidth, double headWidth,
                                        double headLength);

} // namespace ql::shapes
