#include "shapes/df/CurveFitting.h"

#include "shapes/df/PathMeasure.h"

#include <QLineF>
#include <cmath>

namespace ql::df {

namespace {

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

QPointF normalised(QPointF v)
{
    const double length = std::hypot(v.x(), v.y());
    return length > 0.0 ? v / length : QPointF();
}

// Bernstein polynomials of degree 3.
double b0(double u) { return (1 - u) * (1 - u) * (1 - u); }
double b1(double u) { return 3 * u * (1 - u) * (1 - u); }
double b2(double u) { return 3 * u * u * (1 - u); }
double b3(double u) { return u * u * u; }

struct Span {
    std::size_t first;
    std::size_t last;
    QPointF startTangent; // pointing into the span
    QPointF endTangent;   // pointing back into the span
};

class Fitter {
public:
    Fitter(const std::vector<QPointF>& points, double tolerance)
        : m_points(points), m_squaredTolerance(tolerance * tolerance)
    {
    }

    BezierPath fit()
    {
        BezierPath path;
        path.moveTo(m_points.front());
        const std::size_t n = m_points.size();
        // Spans wait on a stack, right half below left, so curves come out
        // in order without recursing once per split.
        std::vector<Span> pending {{0, n - 1, startTangent(0), endTangent(n - 1)}};
        while (!pending.empty()) {
            const Span span = pending.back();
            pending.pop_back();
            std::size_t split = 0;
            if (const std::optional<Cubic> curve = fitSpan(span, split)) {
                path.curveTo((*curve)[3], (*curve)[1], (*curve)[2]);
                continue;
            }
            const QPointF centre = centreTangent(split);
            pending.push_back({split, span.last, -centre, span.endTangent});
            pending.push_back({span.first, split, span.startTangent, centre});
        }
        return path;
    }

private:
    QPointF startTangent(std::size_t i) const { return normalised(m_points[i + 1] - m_points[i]); }
    QPointF endTangent(std::size_t i) const { return normalised(m_points[i - 1] - m_points[i]); }
    QPointF centreTangent(std::size_t i) const
    {
        const QPointF t = normalised(m_points[i - 1] - m_points[i + 1]);
        return t.isNull() ? normalised(m_points[i - 1] - m_points[i]) : t;
    }

    // A curve within the tolerance, or nullopt and where to split.
    std::optional<Cubic> fitSpan(const Span& s, std::size_t& split) const
    {
        const QPointF& a = m_points[s.first];
        const QPointF& b = m_points[s.last];
        if (s.last - s.first == 1) {
            const double third = QLineF(a, b).length() / 3.0;
            return Cubic {a, a + s.startTangent * third, b + s.endTangent * third, b};
        }
        std::vector<double> u = chordParameters(s);
        Cubic curve = generate(s, u);
        double error = maxError(s, curve, u, split);
        if (error < m_squaredTolerance)
            return curve;
        if (error < 4.0 * m_squaredTolerance) {
            for (int round = 0; round < 4; ++round) {
                reparameterise(s, curve, u);
                curve = generate(s, u);
                error = maxError(s, curve, u, split);
                if (error < m_squaredTolerance)
                    return curve;
            }
        }
        // Never split at an end: that would not make the span smaller.
        if (split <= s.first || split >= s.last)
            split = (s.first + s.last) / 2;
        return std::nullopt;
    }

    std::vector<double> chordParameters(const Span& s) const
    {
        std::vector<double> u(s.last - s.first + 1, 0.0);
        for (std::size_t i = s.first + 1; i <= s.last; ++i)
            u[i - s.first] = u[i - s.first - 1] + QLineF(m_points[i - 1], m_points[i]).length();
        const double total = u.back();
        for (double& value : u)
            value = total > 0.0 ? value / total : 0.0;
        return u;
    }

    // Least-squares control points along the end tangents.
    Cubic generate(const Span& s, const std::vector<double>& u) const
    {
        const QPointF& a = m_points[s.first];
        const QPointF& b = m_points[s.last];
        double c00 = 0, c01 = 0, c11 = 0, x0 = 0, x1 = 0;
        for (std::size_t i = 0; i < u.size(); ++i) {
            const QPointF a1 = s.startTangent * b1(u[i]);
            const QPointF a2 = s.endTangent * b2(u[i]);
            c00 += dot(a1, a1);
            c01 += dot(a1, a2);
            c11 += dot(a2, a2);
            const QPointF rest = m_points[s.first + i] - (a * (b0(u[i]) + b1(u[i])) + b * (b2(u[i]) + b3(u[i])));
            x0 += dot(a1, rest);
            x1 += dot(a2, rest);
        }
        const double det = c00 * c11 - c01 * c01;
        double alphaA = 0.0;
        double alphaB = 0.0;
        if (std::abs(det) > 1e-12) {
            alphaA = (x0 * c11 - x1 * c01) / det;
            alphaB = (c00 * x1 - c01 * x0) / det;
        }
        // Degenerate or backwards handles: a third of the chord instead.
        const double chord = QLineF(a, b).length();
        const double epsilon = 1e-6 * chord;
        if (alphaA < epsilon || alphaB < epsilon || !std::isfinite(alphaA) || !std::isfinite(alphaB))
            alphaA = alphaB = chord / 3.0;
        return {a, a + s.startTangent * alphaA, b + s.endTangent * alphaB, b};
    }

    double maxError(const Span& s, const Cubic& curve, const std::vector<double>& u, std::size_t& split) const
    {
        double worst = 0.0;
        split = (s.first + s.last) / 2;
        for (std::size_t i = 1; i + 1 < u.size(); ++i) {
            const QPointF d = pointOnCubic(curve, u[i]) - m_points[s.first + i];
            const double squared = dot(d, d);
            if (squared >= worst) {
                worst = squared;
                split = s.first + i;
            }
        }
        return worst;
    }

    // One Newton step per point towards the curve's nearest parameter.
    void reparameterise(const Span& s, const Cubic& c, std::vector<double>& u) const
    {
        const QPointF d1[3] = {(c[1] - c[0]) * 3, (c[2] - c[1]) * 3, (c[3] - c[2]) * 3};
        const QPointF d2[2] = {(d1[1] - d1[0]) * 2, (d1[2] - d1[1]) * 2};
        for (std::size_t i = 0; i < u.size(); ++i) {
            const double t = u[i];
            const QPointF q = pointOnCubic(c, t);
            const double v = 1 - t;
            const QPointF q1 = d1[0] * (v * v) + d1[1] * (2 * v * t) + d1[2] * (t * t);
            const QPointF q2 = d2[0] * v + d2[1] * t;
            const QPointF diff = q - m_points[s.first + i];
            const double denominator = dot(q1, q1) + dot(diff, q2);
            if (std::abs(denominator) > 1e-12) {
                const double next = t - dot(diff, q1) / denominator;
                if (std::isfinite(next))
                    u[i] = std::clamp(next, 0.0, 1.0);
            }
        }
    }

    const std::vector<QPointF>& m_points;
    double m_squaredTolerance;
};

} // namespace

BezierPath fitCurve(const std::vector<QPointF>& track, double tolerance)
{
    std::vector<QPointF> points;
    points.reserve(track.size());
    for (const QPointF& p : track) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            continue;
        if (points.empty() || QLineF(points.back(), p).length() > 1e-9)
            points.push_back(p);
    }
    if (points.size() < 2)
        return {};
    return Fitter(points, std::max(tolerance, 1e-3)).fit();
}

} // namespace ql::df
