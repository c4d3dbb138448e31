// Where a page's guide lines lie: its ruler guides and its master's (shifted
// by the bleed, as they are stored from the trim edge), the margin and trim
// boxes while margin guides show, and the column and row guides. One pure
// function of the page, so the overlay draws and snapping aims at the same
// numbers without either waiting for the other.
#pragma once

#include <QList>

class ZVCanvasView;

namespace ql {

struct GuidePositions {
    QList<double> x;  // vertical lines, page-view coordinates
    QList<double> y;  // horizontal lines
    // The column (x) and row (y) guides alone, which the page keeps for
    // snapping; margin and trim positions are not among them.
    QList<double> columns;
    QList<double> rows;
};

GuidePositions guidePositions(const ZVCanvasView& page);

// The edges of `count` columns across `length` points: with the gutter
// between them, starting at `start`. None for a count below 1.
QList<double> columnEdges(double start, double length, int count, double gutter);

} // namespace ql
