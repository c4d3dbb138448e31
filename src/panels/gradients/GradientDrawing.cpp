#include "panels/gradients/GradientDrawing.h"

#include <QPainter>
#include <cmath>

namespace ql {

void fillCheckerboard(QPainter& painter, const QRectF& rect, double side)
{
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.fillRect(rect, Qt::white);
    const QColor grey(204, 204, 204);
    int row = 0;
    for (double y = rect.top(); y < rect.bottom(); y += side, ++row) {
        int column = 0;
        for (double x = rect.left(); x < rect.right(); x += side, ++column) {
            if ((row + column) % 2)
                painter.fillRect(QRectF(x, y, side, side), grey);
        }
    }
    painter.restore();
}

void drawGradientSwatch(QPainter& painter, const Gradient& gradient, const QRectF& rect)
{
    fillCheckerboard(painter, rect);
    if (gradient.isEmpty())
        return;
    QLinearGradient fill(rect.topLeft(), rect.topRight());
    fill.setStops(gradient.qtStops());
    painter.fillRect(rect, fill);
}

QImage gradientSwatchImage(const Gradient& gradient, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawGradientSwatch(painter, gradient, QRectF(QPointF(0, 0), size));
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
    painter.end();
    return image;
}

} // namespace ql
