// What stands where a picture has no pixels to show (yet): a grey panel
// crossed corner to corner, so that a page never silently lacks a picture.
#pragma once

#include <QRectF>

class QPainter;

namespace ql {

void drawPicturePlaceholder(QPainter& painter, const QRectF& rect);

} // namespace ql
