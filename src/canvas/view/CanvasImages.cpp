#include "canvas/view/CanvasImages.h"

#include <QPainter>
#include <QPainterPath>

namespace ql {

namespace {

constexpr int kMarkerSize = 9;

// A marker is a small dark triangle pointing at the page: down from the
// horizontal ruler, right from the vertical one.
QImage marker(bool top)
{
    QImage image(kMarkerSize, kMarkerSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const double s = kMarkerSize;
    if (top) {
        path.moveTo(0, 0);
        path.lineTo(s, 0);
        path.lineTo(s / 2, s);
    } else {
        path.moveTo(0, 0);
        path.lineTo(s, s / 2);
        path.lineTo(0, s);
    }
    path.closeSubpath();
    painter.fillPath(path, QColor(0x30, 0x30, 0x30));
    return image;
}

} // namespace

QImage canvasImage(const QString& name)
{
    if (name == kEdgeMarkerTop)
        return marker(true);
    if (name == kEdgeMarkerLeft)
        return marker(false);
    return {};
}

} // namespace ql
