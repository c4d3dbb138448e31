// Draws an image element's picture into its content rectangle, fitted by
// the element's image mode.
#pragma once

#include <QRectF>

class QPainter;
class ZVPuttyView;

namespace ql {

class ImageContentPainter {
public:
    // `content` is in the element's own coordinates; `alpha` its opacity.
    static void paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
};

} // namespace ql
