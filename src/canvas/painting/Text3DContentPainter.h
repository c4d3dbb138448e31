// Draws a 3D text element's string flat, centred in its content.
#pragma once

#include <QRectF>

class QPainter;
class ZVPuttyView;

namespace ql {

class Text3DContentPainter {
public:
    // `content` is in the element's own coordinates; `alpha` its opacity.
    static void paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
};

} // namespace ql
