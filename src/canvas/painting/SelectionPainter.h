// What the canvas draws over a selected or highlighted element, never in
// output: the outlines of a highlighted element (a text box blue, red when
// its text overflows the last box; every element a faint grey) and the
// knobs of its resize handles at their state's alpha, the same size on
// screen at any zoom.
#pragma once

#include <QColor>
#include <QRectF>

class QPainter;
class ZVPuttyView;

namespace ql {

class SelectionPainter {
public:
    // In the element's own coordinates; `magnification` keeps the knobs'
    // screen size. Outlines and knobs wholly outside `exposed` (element
    // coordinates; null for all) are left out.
    static void paint(QPainter& painter, const ZVPuttyView& element, double magnification,
                      const QRectF& exposed = QRectF());
    // The colour of a text box's outline: red while its text overflows.
    static QColor textOutlineColor(const ZVPuttyView& element);
    // Whether a text box is the last of its chain and leaves text unshown.
    static bool textOverflows(const ZVPuttyView& element);
};

} // namespace ql
