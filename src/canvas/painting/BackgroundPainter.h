// Paints a background (of a page or an element) into a rectangle: a colour,
// a gradient at its angle, or a picture in its fitting mode, with the
// background's own opacity. Canvas, thumbnails and output share it.
#pragma once

#include <QRectF>
#include <QVariant>

class QPainter;
class ZVBackgroundView;

namespace ql {

class Image;

class BackgroundPainter {
public:
    // `alpha` is the opacity of what owns the background (an element's);
    // pages pass 1.
    static void paint(QPainter& painter, const ZVBackgroundView& background, const QRectF& rect, double alpha = 1.0);

    // A picture in one of the background fitting modes: 0 and 2 stretched,
    // 1 proportional (centred), 3 tiled from the rectangle's corner, 4 its
    // middle at its own size; clipped to the rectangle.
    static void paintImage(QPainter& painter, const Image& image, int mode, const QRectF& rect, double alpha);

    // A stored gradient of a stored kind filling the rectangle at `opacity`:
    // radial from its centre, or linear at `degrees` (page coordinates, y
    // down), as GradientGeometry lays out each kind; nothing without one.
    static void paintGradient(QPainter& painter, const QVariant& gradient, const QVariant& kind,
                              const QVariant& degrees, const QRectF& rect, double opacity);

    // Where a picture of `size` lands in `rect` in proportional mode.
    static QRectF proportionalRect(QSizeF size, const QRectF& rect);
};

} // namespace ql
