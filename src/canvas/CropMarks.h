// The crop marks of a page: eight short black lines in the bleed, two at each
// corner, lying on the trim lines (m, W − m, H − m) and ending at the page's
// outer edge. The guide overlay and output draw them from here.
#pragma once

#include <QList>
#include <QLineF>
#include <QSizeF>

class QPainter;
class ZVCanvasView;

namespace ql {

class CropMarks {
public:
    // The lines for a page of `size` (its frame, bleed included) with bleed
    // `bleed`, in page coordinates; none without bleed.
    static QList<QLineF> lines(QSizeF size, double bleed);
    // Whether the page shows crop marks (its template has full bleed and
    // crop marks on), and the bleed they sit in.
    static bool shown(const ZVCanvasView& page);
    // Draws the marks of `page` when it shows them: 1-point black lines.
    static void paint(QPainter& painter, const ZVCanvasView& page);
};

} // namespace ql
