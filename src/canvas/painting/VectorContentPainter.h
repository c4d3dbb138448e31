// Draws a vector shape element: its shape with its style (fill, stroke,
// arrowheads, text along the outline), as vectors, in the content rectangle.
#pragma once

#include <QRectF>
#include <QtGlobal>

class QPainter;
class ZVPuttyView;

namespace ql {

class VectorContentPainter {
public:
    // `content` is in the element's own coordinates; `alpha` its opacity.
    static void paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
    // The number of elements of the shape's outline.
    static qsizetype complexity(const ZVPuttyView& element);
};

} // namespace ql
