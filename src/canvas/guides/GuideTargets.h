// The edges and centres a guide pass aims at, sorted once so that a drag
// step finds the ones near an active element by binary search: the step's
// cost follows the active elements and the lines found, not the page's size.
// A pass over it finds what a comparison with every target in turn finds,
// lines and stick points in the same order.
#pragma once

#include "canvas/guides/SmartGuides.h"

#include <QList>
#include <QRectF>
#include <array>
#include <vector>

namespace ql {

class GuideTargets {
public:
    GuideTargets() = default;
    // `targets` in the pass's order: an earlier target's line comes first.
    explicit GuideTargets(const QList<QRectF>& targets);

    GuidePass run(const QList<GuideSubject>& subjects, double tolerance) const;

private:
    // One value of one kind of edge, with the first target that has it and
    // the value's place among the distinct values of its axis.
    struct Edge {
        double value;
        qsizetype target;
        qsizetype line = 0;
    };
    // Sorted by value, per kind: left, centre x, right, top, centre y, bottom.
    std::array<std::vector<Edge>, 6> m_edges;
    // How many distinct x and y values the targets have.
    std::array<qsizetype, 2> m_lineCounts {0, 0};
};

} // namespace ql
