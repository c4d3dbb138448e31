// Draws a text element: the box's part of its text as its own layout placed
// it (at 72 dpi: a 12-point font is 12 points tall), from the content's
// inset corner, clipped to the content, with the box's overlays.
#pragma once

#include <QRectF>

class QPainter;
class ZVPuttyView;

namespace ql {

class TextContentPainter {
public:
    // `content` is in the element's own coordinates; `alpha` its opacity.
    static void paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
};

} // namespace ql
