#include "shapes/df/PathMeasure.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

namespace ql::df {

namespace {

// Pieces per curve: enough for half-point chords on curves of ordinary
// size, bounded so that huge curves stay cheap.
int piecesFor(const Cubic& c)
{
    const double reach = QLineF(c[0], c[1]).length() + QLineF(c[1], c[2]).length() + QLineF(c[2], c[3]).length();
    if (!std::isfinite(reach))
        return 1;
    return std::clamp(int(std::ceil(reach / 0.5)), 4, 256);
}

} // namespace

QPointF pointOnCubic(const Cubic& c, double t)
{
    const double u = 1.0 - t;
    return c[0] * (u * u * u) + c[1] * (3 * u * u * t) + c[2] * (3 * u * t * t) + c[3] * (t * t * t);
}

std::pair<Cubic, Cubic> splitCubic(const Cubic& c, double t)
{
    const QPointF ab = c[0] + (c[1] - c[0]) * t;
    const QPointF bc = c[1] + (c[2] - c[1]) * t;
    const QPointF cd = c[2] + (c[3] - c[2]) * t;
    const QPointF abc = ab + (bc - ab) * t;
    const QPointF bcd = bc + (cd - bc) * t;
    const QPointF mid = abc + (bcd - abc) * t;
    return {Cubic {c[0], ab, abc, mid}, Cubic {mid, bcd, cd, c[3]}};
}

std::pair<double, double> nearestOnSegment(QPointF a, QPointF b, QPointF p)
{
    const QPointF d = b - a;
    const double squared = QPointF::dotProduct(d, d);
    const double t = squared > 0.0 ? std::clamp(QPointF::dotProduct(p - a, d) / squared, 0.0, 1.0) : 0.0;
    return {t, QLineF(a + d * t, p).length()};
}

std::pair<double, double> nearestOnCubic(const Cubic& c, QPointF p)
{
    // Sample, then refine around the best sample by bisection.
    const int samples = piecesFor(c);
    double bestT = 0.0;
    double best = QLineF(c[0], p).length();
    for (int i = 1; i <= samples; ++i) {
        const double t = double(i) / samples;
        const double d = QLineF(pointOnCubic(c, t), p).length();
        if (d < best) {
            best = d;
            bestT = t;
        }
    }
    double step = 1.0 / samples;
    for (int round = 0; round < 20; ++round) {
        step /= 2.0;
        for (const double t : {bestT - step, bestT + step}) {
            if (t < 0.0 || t > 1.0)
                continue;
            const double d = QLineF(pointOnCubic(c, t), p).length();
            if (d < best) {
                best = d;
                bestT = t;
            }
        }
    }
    return {bestT, best};
}

PathMeasure::PathMeasure(const BezierPath& path)
{
    QPointF start;
    bool started = false;
    auto add = [this](QPointF p) {
        if (!m_points.empty() && m_points.back() == p)
            return;
        const double before = m_lengths.empty() ? 0.0 : m_lengths.back();
        const double step = m_points.empty() ? 0.0 : QLineF(m_points.back(), p).length();
        m_points.push_back(p);
        m_lengths.push_back(before + step);
    };
    for (const BezierPath::Element& e : path.elements()) {
        switch (e.type) {
        case BezierPath::ElementType::MoveTo:
            if (started)
                return; // the first subpath only
            started = true;
            start = e.points[0];
            add(start);
            break;
        case BezierPath::ElementType::LineTo:
            if (!started) {
                started = true;
                add(start);
            }
            add(e.points[0]);
            break;
        case BezierPath::ElementType::CurveTo: {
            if (!started) {
                started = true;
                add(start);
            }
            const Cubic curve {m_points.back(), e.points[0], e.points[1], e.points[2]};
            const int pieces = piecesFor(curve);
            for (int i = 1; i <= pieces; ++i)
                add(pointOnCubic(curve, double(i) / pieces));
            break;
        }
        case BezierPath::ElementType::ClosePath:
            if (started) {
                add(start);
                return;
            }
            break;
        }
    }
}

std::size_t PathMeasure::segmentAt(double distance) const
{
    // The segment [i - 1, i] that holds the distance.
    const auto it = std::lower_bound(m_lengths.begin(), m_lengths.end(), distance);
    const std::size_t i = std::size_t(it - m_lengths.begin());
    return std::clamp<std::size_t>(i, 1, m_points.size() - 1);
}

QPointF PathMeasure::pointAtLength(double distance) const
{
    if (m_points.empty())
        return {};
    if (m_points.size() == 1 || distance <= 0.0)
        return m_points.front();
    if (distance >= length())
        return m_points.back();
    const std::size_t i = segmentAt(distance);
    const double span = m_lengths[i] - m_lengths[i - 1];
    const double t = span > 0.0 ? (distance - m_lengths[i - 1]) / span : 0.0;
    return m_points[i - 1] + (m_points[i] - m_points[i - 1]) * t;
}

double PathMeasure::angleAtLength(double distance) const
{
    if (isEmpty())
        return 0.0;
    const std::size_t i = segmentAt(std::clamp(distance, 0.0, length()));
    const QPointF d = m_points[i] - m_points[i - 1];
    return std::atan2(d.y(), d.x());
}

} // namespace ql::df
