// Draws a 3D text element's content: on screens and bitmaps its scene is
// rendered at the target's own pixels; on PDF and print pages, whose pixels
// have no fixed size, the 4000-pixel snapshot is placed as large as fits.
#pragma once

#include <QRectF>

class QPainter;
class ZVPuttyView;

namespace ql {

class Text3DContentPainter {
public:
    // `content` is in the element's own coordinates; `alpha` its opacity.
    static void paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
    // The pixels the content covers on the painter's device, within the
    // largest picture drawn.
    static QSizeF devicePixels(const QPainter& painter, const QRectF& content);
};

} // namespace ql
