#include "canvas/guides/GuideTargets.h"

#include <QSet>
#include <algorithm>
#include <cmath>

namespace ql {

namespace {

// The comparisons a pass makes for each target, in its order: which edge of
// the subject meets which kind of the target's edges, and on which axis.
struct Check {
    int subjectEdge;  // index into the subject's six edges, same order as the kinds
    int targetKind;
    bool vertical;  // an x value (vertical line)
    bool onlyWhenNotMoving;
};

constexpr int kMinX = 0, kMidX = 1, kMaxX = 2, kMinY = 3, kMidY = 4, kMaxY = 5;

constexpr Check kChecks[] = {
    {kMinX, kMinX, true, false},  {kMaxX, kMinX, true, false},  {kMaxX, kMaxX, true, false},
    {kMinX, kMaxX, true, false},  {kMaxY, kMinY, false, false}, {kMinY, kMinY, false, false},
    {kMinY, kMaxY, false, false}, {kMaxY, kMaxY, false, false}, {kMaxX, kMidX, true, false},
    {kMaxY, kMidY, false, false},
    // While a handle is dragged, centres and the left and top edges are not
    // matched against other objects' centres.
    {kMidX, kMidX, true, true},   {kMidY, kMidY, false, true},  {kMinX, kMidX, true, true},
    {kMinY, kMidY, false, true},
};

std::array<double, 6> edgesOf(const QRectF& r)
{
    return {r.left(), r.center().x(), r.right(), r.top(), r.center().y(), r.bottom()};
}

struct Match {
    qsizetype target;
    int check;
    double value;
};

} // namespace

GuideTargets::GuideTargets(const QList<QRectF>& targets)
{
    for (auto& edges : m_edges)
        edges.reserve(size_t(targets.size()));
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const std::array<double, 6> values = edgesOf(targets.at(i));
        for (size_t kind = 0; kind < values.size(); ++kind) {
            // A NaN edge is near nothing, and would upset the sort.
            if (!std::isnan(values[kind]))
                m_edges[kind].push_back({values[kind], i});
        }
    }
    // Each value once, with the first target that has it: only that one can
    // decide where the value's line stands in the pass's order.
    for (auto& edges : m_edges) {
        std::stable_sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.value < b.value; });
        edges.erase(std::unique(edges.begin(), edges.end(),
                                [](const Edge& a, const Edge& b) { return a.value == b.value; }),
                    edges.end());
    }
}

GuidePass GuideTargets::run(const QList<GuideSubject>& subjects, double tolerance) const
{
    GuidePass pass;
    // The x and y lists live for the whole pass, each value once, in the
    // order first found.
    QList<double> xs;
    QList<double> ys;
    QSet<double> xSeen;
    QSet<double> ySeen;
    // Nearness cuts the difference toward zero, so it never reaches past
    // the tolerance rounded up; one point more keeps rounding on the safe side.
    const double reach = std::ceil(tolerance) + 1.0;
    std::vector<Match> matches;
    for (const GuideSubject& subject : subjects) {
        matches.clear();
        if (tolerance > 0) {
            const std::array<double, 6> e = edgesOf(subject.realFrame);
            for (int c = 0; c < int(std::size(kChecks)); ++c) {
                const Check& check = kChecks[c];
                if (check.onlyWhenNotMoving && subject.isMoving)
                    continue;
                const double a = e[check.subjectEdge];
                if (std::isnan(a))
                    continue;
                const std::vector<Edge>& edges = m_edges[check.targetKind];
                auto it = std::lower_bound(edges.begin(), edges.end(), a - reach,
                                           [](const Edge& edge, double v) { return edge.value < v; });
                for (; it != edges.end() && it->value <= a + reach; ++it) {
                    if (isNear(a, it->value, tolerance))
                        matches.push_back({it->target, c, it->value});
                }
            }
            std::sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) {
                return a.target != b.target ? a.target < b.target : a.check < b.check;
            });
            for (const Match& match : matches) {
                QList<double>& list = kChecks[match.check].vertical ? xs : ys;
                QSet<double>& seen = kChecks[match.check].vertical ? xSeen : ySeen;
                if (!seen.contains(match.value)) {
                    seen.insert(match.value);
                    list.append(match.value);
                }
            }
        }
        QList<QPointF> points;
        points.reserve(xs.size() + ys.size());
        for (double value : std::as_const(xs))
            points.append(QPointF(value, 0));
        for (double value : std::as_const(ys))
            points.append(QPointF(0, value));
        pass.stickPoints.append(points);
    }
    // Each line once, however many subjects found it: the overlay draws
    // every value it is given.
    pass.vLines = xs;
    pass.hLines = ys;
    return pass;
}

} // namespace ql
