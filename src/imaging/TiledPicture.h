// A picture repeated over an area, as backgrounds, text boxes and pattern
// fills show it. The area is filled once, with the picture as a repeating
// texture, so tiles meet without seams at any resolution and a PDF holds one
// pattern. However small a tile is (a stored scale, a declared density or a
// tiny size can make it a millionth of a point), the drawing costs what the
// painted area can show: a tile below a device pixel is drawn as the
// picture's average colour.
#pragma once

#include "platform/graphics/Image.h"

#include <QColor>
#include <QPainter>

namespace ql {

class TiledPicture {
public:
    // Tiles of `tileSize` points in a grid through `origin`, over `area`,
    // at `opacity` of the painter's own; the painter's clip still applies.
    static void paint(QPainter& painter, const Image& image, const QRectF& area, QPointF origin, QSizeF tileSize,
                      double opacity = 1.0);

    // The picture's colours averaged, alpha included (premultiplied);
    // transparent for a picture without pixels.
    static QColor averageColour(const Image& image);
};

} // namespace ql
