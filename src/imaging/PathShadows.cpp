#include "imaging/PathShadows.h"

#include "imaging/BlurredLayer.h"

#include <cmath>

namespace ql {

void paintInnerShadow(QPainter& painter, const QPainterPath& path, const Shadow& shadow)
{
    if (path.isEmpty() || !shadow.color.isValid() || shadow.color.alpha() == 0
        || !BlurredLayer::usableRadius(shadow.blurRadius))
        return;
    const QTransform device = painter.combinedTransform();
    const QPainterPath shape = device.map(path);
    const QPointF shift = device.map(shadow.offset) - device.map(QPointF(0, 0));
    if (!std::isfinite(shift.x()) || !std::isfinite(shift.y()))
        return;
    BlurredLayer layer(shadow.blurRadius, shadow.color, [&](QPainter& cover, const QRectF& region) {
        // Everything but the shape, moved by the offset, casts the shadow.
        const double dx = std::abs(shift.x()) + 1.0;
        const double dy = std::abs(shift.y()) + 1.0;
        QPainterPath outside;
        outside.addRect(region.adjusted(-dx, -dy, dx, dy));
        outside.addPath(shape);
        outside.setFillRule(Qt::OddEvenFill);
        cover.fillPath(outside.translated(shift), Qt::black);
    });
    layer.keepInside(shape);
    layer.paint(painter, shape.boundingRect());
}

void drawBlurWithColor(QPainter& painter, const BezierPath& path, const QColor& color, double radius)
{
    const QPainterPath shape = painter.combinedTransform().map(path.toPainterPath());
    if (shape.isEmpty() || !BlurredLayer::usableRadius(radius))
        return;
    const BlurredLayer layer(std::max(0.0, radius), color,
                             [&](QPainter& cover, const QRectF&) { cover.fillPath(shape, Qt::black); });
    const double reach = layer.reach();
    layer.paint(painter, shape.boundingRect().adjusted(-reach, -reach, reach, reach));
}

} // namespace ql
