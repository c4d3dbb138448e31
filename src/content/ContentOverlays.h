// What a content paints over itself: a gradient (linear at an angle for
// types 0 and 2, radial from the centre for types 1 and 3) and a tiled
// picture. Text boxes and images draw them alike.
#pragma once

#include "platform/graphics/Image.h"

#include <QPainter>
#include <QRectF>
#include <QVariant>

namespace ql::content {

// `gradient` holds a ql::Gradient or nothing; `angle` is in degrees in the
// content's own coordinates (y down).
void drawGradientOverlay(QPainter& painter, const QRectF& bounds, const QVariant& gradient, const QVariant& angle,
                         const QVariant& type);
// The picture repeated from the bounds' top-left corner, at its own size.
void drawTiledImage(QPainter& painter, const QRectF& bounds, const Image& tile);

} // namespace ql::content
