// What stands where a picture has no pixels to show (yet, or ever: data that
// cannot be decoded): a grey panel crossed corner to corner, so that a page
// never silently lacks a picture. Screen and every output draw it alike.
#pragma once

#include <QRectF>

class QPainter;

namespace ql {

// Over `rect`, at `opacity` of the painter's own.
void drawPicturePlaceholder(QPainter& painter, const QRectF& rect, double opacity = 1.0);

} // namespace ql
