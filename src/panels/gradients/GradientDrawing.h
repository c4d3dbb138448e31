// Drawing shared by the wells and swatches: a checkerboard that shows
// transparency, and a gradient laid left to right over it.
#pragma once

#include "platform/graphics/Gradient.h"

#include <QImage>
#include <QRectF>

class QPainter;

namespace ql {

void fillCheckerboard(QPainter& painter, const QRectF& rect, double side = 6.0);
// Location 0 at the left edge, over a checkerboard.
void drawGradientSwatch(QPainter& painter, const Gradient& gradient, const QRectF& rect);
QImage gradientSwatchImage(const Gradient& gradient, QSize size);

} // namespace ql
