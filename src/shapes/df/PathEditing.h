// Point editing of Bézier paths for the point tools: the vertices and
// control points of a path, moving one, splitting the segment under a point
// and removing a vertex. Each edit returns a new path.
#pragma once

#include "platform/graphics/BezierPath.h"

#include <QList>
#include <optional>

namespace ql::df {

// A point of a path: the element it belongs to and which of its points.
struct PathPoint {
    qsizetype element = 0;
    int slot = 0;        // 0 for move and line ends; 2 for a curve's end, 0-1 its controls
    bool vertex = true;  // an end point rather than a control point
    QPointF position;
};

QList<PathPoint> pathPoints(const BezierPath& path);
qsizetype vertexCount(const BezierPath& path);
// Whether at least two vertices lie apart.
bool hasDistinctVertices(const BezierPath& path);
// The nearest point within `tolerance`; vertices win over control points
// that lie as near.
std::optional<PathPoint> pointNear(const BezierPath& path, QPointF at, double tolerance);
// Moves a point; a vertex takes its neighbouring control points along.
BezierPath movePoint(const BezierPath& path, const PathPoint& point, QPointF to);
// Splits the segment nearest to `at` (within `tolerance`) there, keeping
// the curve's shape; nullopt when no segment is that near.
std::optional<BezierPath> insertPointNear(const BezierPath& path, QPointF at, double tolerance);
// Removes the vertex nearest to `at` (within `tolerance`) unless its
// subpath would keep fewer than two vertices; nullopt when nothing changed.
std::optional<BezierPath> deletePointNear(const BezierPath& path, QPointF at, double tolerance);

// A path of the given elements with `like`'s winding rule.
BezierPath pathWithElements(const QList<BezierPath::Element>& elements, const BezierPath& like);

} // namespace ql::df
