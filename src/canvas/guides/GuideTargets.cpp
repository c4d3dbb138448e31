#include "canvas/guides/GuideTargets.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

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
    qsizetype line;
};

constexpr bool isVerticalKind(size_t kind)
{
    return kind <= size_t(kMaxX);
}

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
    // Numbers the distinct values of each axis, so that a pass marks the
    // lines it has found in a plain array.
    for (const bool vertical : {true, false}) {
        std::vector<Edge*> axis;
        for (size_t kind = 0; kind < m_edges.size(); ++kind) {
            if (isVerticalKind(kind) == vertical) {
                for (Edge& edge : m_edges[kind])
                    axis.push_back(&edge);
            }
        }
        std::sort(axis.begin(), axis.end(), [](const Edge* a, const Edge* b) { return a->value < b->value; });
        qsizetype& count = m_lineCounts[vertical ? 0 : 1];
        for (size_t i = 0; i < axis.size(); ++i) {
            if (i > 0 && axis[i]->value != axis[i - 1]->value)
                ++count;
            axis[i]->line = count;
        }
        if (!axis.empty())
            ++count;
    }
}

GuidePass GuideTargets::run(const QList<GuideSubject>& subjects, double tolerance) const
{
    GuidePass pass;
    // The x and y lists live for the whole pass, each value once, in the
    // order first found; each subject takes the lines found up to it.
    auto lines = std::make_shared<StickPoints::Lines>();
    QList<double>& xs = lines->xs;
    QList<double>& ys = lines->ys;
    // Per axis, whether each distinct value is a line yet.
    std::array<std::vector<bool>, 2> found {std::vector<bool>(size_t(m_lineCounts[0])),
                                            std::vector<bool>(size_t(m_lineCounts[1]))};
    QList<std::pair<qsizetype, qsizetype>> counts;
    counts.reserve(subjects.size());
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
                const std::vector<bool>& seen = found[check.vertical ? 0 : 1];
                auto it = std::lower_bound(edges.begin(), edges.end(), a - reach,
                                           [](const Edge& edge, double v) { return edge.value < v; });
                // A line found already keeps its place: only new ones are ordered.
                for (; it != edges.end() && it->value <= a + reach; ++it) {
                    if (!seen[size_t(it->line)] && isNear(a, it->value, tolerance))
                        matches.push_back({it->target, c, it->value, it->line});
                }
            }
            std::sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) {
                return a.target != b.target ? a.target < b.target : a.check < b.check;
            });
            for (const Match& match : matches) {
                const bool vertical = kChecks[match.check].vertical;
                std::vector<bool>::reference seen = found[vertical ? 0 : 1][size_t(match.line)];
                if (!seen) {
                    seen = true;
                    (vertical ? xs : ys).append(match.value);
                }
            }
        }
        counts.append({xs.size(), ys.size()});
    }
    // Each line once, however many subjects found it: the overlay draws
    // every value it is given.
    pass.vLines = xs;
    pass.hLines = ys;
    const std::shared_ptr<const StickPoints::Lines> shared = std::move(lines);
    pass.stickPoints.reserve(counts.size());
    for (const auto& [xCount, yCount] : std::as_const(counts))
        pass.stickPoints.append(StickPoints(shared, xCount, yCount));
    return pass;
}

} // namespace ql
