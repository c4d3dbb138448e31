// Lengths along a path: its first subpath flattened into a polyline, with
// the point and direction at any distance from its start. Text on a path,
// arrowheads and point editing measure paths with it.
#pragma once

#include "platform/graphics/BezierPath.h"

#include <QPointF>
#include <array>
#include <vector>

namespace ql::df {

class PathMeasure {
public:
    explicit PathMeasure(const BezierPath& path);

    bool isEmpty() const { return m_points.size() < 2; }
    double length() const { return m_lengths.empty() ? 0.0 : m_lengths.back(); }
    // Clamped to the ends.
    QPointF pointAtLength(double distance) const;
    // Direction of travel in radians (atan2 in drawing coordinates).
    double angleAtLength(double distance) const;

private:
    std::size_t segmentAt(double distance) const;

    std::vector<QPointF> m_points;
    std::vector<double> m_lengths; // distance from the start to each point
};

// A cubic curve as its four points.
using Cubic = std::array<QPointF, 4>;
QPointF pointOnCubic(const Cubic& curve, double t);
// The curve cut at t into the part before and the part after.
std::pair<Cubic, Cubic> splitCubic(const Cubic& curve, double t);
// Nearest point of a cubic to p: the parameter and the distance.
std::pair<double, double> nearestOnCubic(const Cubic& curve, QPointF p);
// Nearest point of a segment to p: the parameter and the distance.
std::pair<double, double> nearestOnSegment(QPointF a, QPointF b, QPointF p);

} // namespace ql::df
