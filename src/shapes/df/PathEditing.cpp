#include "shapes/df/PathEditing.h"

#include "shapes/df/PathMeasure.h"

#include <QLineF>

namespace ql::df {

namespace {

using Element = BezierPath::Element;
using Type = BezierPath::ElementType;

bool draws(Type type)
{
    return type == Type::LineTo || type == Type::CurveTo;
}

QPointF endOf(const Element& e)
{
    return e.type == Type::CurveTo ? e.points[2] : e.points[0];
}

// Where each element starts drawing from, and where its subpath began.
struct Walk {
    QList<QPointF> from;
    QList<qsizetype> subpathStart; // element index of the subpath's move
};

Walk walk(const QList<Element>& elements)
{
    Walk w;
    QPointF current;
    QPointF start;
    qsizetype startIndex = 0;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const Element& e = elements[i];
        if (e.type == Type::MoveTo) {
            start = e.points[0];
            startIndex = i;
        }
        w.from.append(current);
        w.subpathStart.append(startIndex);
        current = e.type == Type::ClosePath ? start : endOf(e);
    }
    return w;
}

// Vertices of the subpath that begins at element `start`.
qsizetype subpathVertices(const QList<Element>& elements, qsizetype start)
{
    qsizetype count = 0;
    for (qsizetype i = start; i < elements.size(); ++i) {
        if (i > start && elements[i].type == Type::MoveTo)
            break;
        if (elements[i].type != Type::ClosePath)
            ++count;
    }
    return count;
}

} // namespace

BezierPath pathWithElements(const QList<Element>& elements, const BezierPath& like)
{
    BezierPath path;
    path.setWindingRule(like.windingRule());
    for (const Element& e : elements) {
        switch (e.type) {
        case Type::MoveTo: path.moveTo(e.points[0]); break;
        case Type::LineTo: path.lineTo(e.points[0]); break;
        case Type::CurveTo: path.curveTo(e.points[2], e.points[0], e.points[1]); break;
        case Type::ClosePath: path.closePath(); break;
        }
    }
    return path;
}

QList<PathPoint> pathPoints(const BezierPath& path)
{
    QList<PathPoint> points;
    const QList<Element>& elements = path.elements();
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const Element& e = elements[i];
        switch (e.type) {
        case Type::MoveTo:
        case Type::LineTo:
            points.append({i, 0, true, e.points[0]});
            break;
        case Type::CurveTo:
            points.append({i, 0, false, e.points[0]});
            points.append({i, 1, false, e.points[1]});
            points.append({i, 2, true, e.points[2]});
            break;
        case Type::ClosePath:
            break;
        }
    }
    return points;
}

qsizetype vertexCount(const BezierPath& path)
{
    qsizetype count = 0;
    for (const Element& e : path.elements())
        if (e.type != Type::ClosePath)
            ++count;
    return count;
}

bool hasDistinctVertices(const BezierPath& path)
{
    const QList<PathPoint> points = pathPoints(path);
    for (const PathPoint& p : points)
        if (p.vertex && p.position != points.first().position)
            return true;
    return false;
}

std::optional<PathPoint> pointNear(const BezierPath& path, QPointF at, double tolerance)
{
    std::optional<PathPoint> best;
    double bestDistance = tolerance;
    for (const PathPoint& p : pathPoints(path)) {
        const double d = QLineF(p.position, at).length();
        const bool nearer = d < bestDistance || (d == bestDistance && p.vertex && best && !best->vertex);
        if (d <= tolerance && (!best || nearer)) {
            best = p;
            bestDistance = d;
        }
    }
    return best;
}

BezierPath movePoint(const BezierPath& path, const PathPoint& point, QPointF to)
{
    QList<Element> elements = path.elements();
    if (point.element < 0 || point.element >= elements.size())
        return path;
    Element& e = elements[point.element];
    if (e.type == Type::ClosePath || point.slot < 0 || point.slot > 2)
        return path;
    const QPointF delta = to - e.points[std::size_t(point.slot)];
    e.points[std::size_t(point.slot)] = to;
    if (point.vertex) {
        if (e.type == Type::CurveTo)
            e.points[1] += delta;
        if (point.element + 1 < elements.size() && elements[point.element + 1].type == Type::CurveTo)
            elements[point.element + 1].points[0] += delta;
    }
    return pathWithElements(elements, path);
}

std::optional<BezierPath> insertPointNear(const BezierPath& path, QPointF at, double tolerance)
{
    const QList<Element>& elements = path.elements();
    const Walk w = walk(elements);
    qsizetype bestIndex = -1;
    double bestT = 0.0;
    double best = tolerance;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const Element& e = elements[i];
        std::pair<double, double> near {0.0, tolerance + 1.0};
        if (e.type == Type::LineTo)
            near = nearestOnSegment(w.from[i], e.points[0], at);
        else if (e.type == Type::CurveTo)
            near = nearestOnCubic({w.from[i], e.points[0], e.points[1], e.points[2]}, at);
        else if (e.type == Type::ClosePath)
            near = nearestOnSegment(w.from[i], elements[w.subpathStart[i]].points[0], at);
        if (near.second <= best) {
            best = near.second;
            bestIndex = i;
            bestT = near.first;
        }
    }
    if (bestIndex < 0)
        return std::nullopt;
    QList<Element> edited = elements;
    const Element& e = elements[bestIndex];
    if (e.type == Type::CurveTo) {
        const auto [before, after] = splitCubic({w.from[bestIndex], e.points[0], e.points[1], e.points[2]}, bestT);
        edited[bestIndex] = Element {Type::CurveTo, {before[1], before[2], before[3]}};
        edited.insert(bestIndex + 1, Element {Type::CurveTo, {after[1], after[2], after[3]}});
    } else {
        const QPointF end = e.type == Type::LineTo ? e.points[0] : elements[w.subpathStart[bestIndex]].points[0];
        const QPointF split = w.from[bestIndex] + (end - w.from[bestIndex]) * bestT;
        edited.insert(bestIndex, Element {Type::LineTo, {split, QPointF(), QPointF()}});
    }
    return pathWithElements(edited, path);
}

std::optional<BezierPath> deletePointNear(const BezierPath& path, QPointF at, double tolerance)
{
    std::optional<PathPoint> hit;
    double best = tolerance;
    for (const PathPoint& p : pathPoints(path)) {
        const double d = QLineF(p.position, at).length();
        if (p.vertex && d <= best) {
            best = d;
            hit = p;
        }
    }
    if (!hit)
        return std::nullopt;
    QList<Element> elements = path.elements();
    const Walk w = walk(elements);
    const qsizetype i = hit->element;
    if (subpathVertices(elements, w.subpathStart[i]) <= 2)
        return std::nullopt;
    const bool nextDraws = i + 1 < elements.size() && draws(elements[i + 1].type);
    if (elements[i].type == Type::MoveTo) {
        // The next vertex starts the subpath instead.
        elements[i + 1] = Element {Type::MoveTo, {endOf(elements[i + 1]), QPointF(), QPointF()}};
        elements.removeAt(i);
    } else if (nextDraws) {
        // The segments on both sides of the vertex become one, keeping the
        // outer handles.
        const Element& in = elements[i];
        const Element& out = elements[i + 1];
        const QPointF end = endOf(out);
        if (in.type == Type::LineTo && out.type == Type::LineTo) {
            elements[i] = Element {Type::LineTo, {end, QPointF(), QPointF()}};
        } else {
            const QPointF c1 = in.type == Type::CurveTo ? in.points[0] : w.from[i];
            const QPointF c2 = out.type == Type::CurveTo ? out.points[1] : end;
            elements[i] = Element {Type::CurveTo, {c1, c2, end}};
        }
        elements.removeAt(i + 1);
    } else {
        elements.removeAt(i);
    }
    return pathWithElements(elements, path);
}

} // namespace ql::df
