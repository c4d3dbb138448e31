// Thins a pointer track into a few cubic curves that pass within a
// tolerance of every point of the track.
#pragma once

#include "platform/graphics/BezierPath.h"

#include <QPointF>
#include <vector>

namespace ql::df {

// An open path through the track's first and last points, each curve
// fitted by least squares and split where it strays further than
// `tolerance` from a tracked point. Empty for fewer than two distinct points.
BezierPath fitCurve(const std::vector<QPointF>& track, double tolerance);

} // namespace ql::df
