// Draws a vector shape element: its stored outline fitted into the content,
// filled by the shape's fill background and stroked in black.
#pragma once

#include <QRectF>

class QPainter;
class ZVPuttyView;

namespace ql {

class VectorContentPainter {
public:
    // `content` is in the element's own coordinates; `alpha` its opacity.
    static void paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
};

} // namespace ql
