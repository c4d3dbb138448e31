#include "canvas/view/CanvasImages.h"

#include <QPainter>
#include <QPainterPath>

namespace ql {

namespace {

constexpr int kMarkerSize = 9;
constexpr int kCursorSize = 18;

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

// A magnifying glass with a plus or a minus; its hot spot is the top left.
QImage zoomCursor(bool in)
{
    QImage image(kCursorSize, kCursorSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF lens(1.5, 1.5, 11, 11);
    painter.setPen(QPen(Qt::white, 3.5));
    painter.drawEllipse(lens);
    painter.drawLine(QPointF(11, 11), QPointF(16.5, 16.5));
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawEllipse(lens);
    painter.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(11.5, 11.5), QPointF(16.5, 16.5));
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawLine(QPointF(4.5, 7), QPointF(9.5, 7));
    if (in)
        painter.drawLine(QPointF(7, 4.5), QPointF(7, 9.5));
    return image;
}

} // namespace

QImage canvasImage(const QString& name)
{
    if (name == kEdgeMarkerTop)
        return marker(true);
    if (name == kEdgeMarkerLeft)
        return marker(false);
    if (name == kZoomInCursor)
        return zoomCursor(true);
    if (name == kZoomOutCursor)
        return zoomCursor(false);
    return {};
}

} // namespace ql
