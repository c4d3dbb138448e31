// Pictures the shape tests fill with.
#pragma once

#include "platform/graphics/Image.h"

#include <QColor>
#include <QImage>

namespace shapetest {

inline ql::Image solid(QSize size, QColor colour)
{
    QImage bitmap(size, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(colour);
    return ql::Image(bitmap);
}

// An opaque square picture, red on its left half and blue on its right.
inline ql::Image twoColours(int side)
{
    QImage bitmap(side, side, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    for (int y = 0; y < side; ++y)
        for (int x = side / 2; x < side; ++x)
            bitmap.setPixelColor(x, y, Qt::blue);
    return ql::Image(bitmap);
}

} // namespace shapetest
