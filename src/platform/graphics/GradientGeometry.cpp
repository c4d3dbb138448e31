#include "platform/graphics/GradientGeometry.h"

#include "platform/object/ValueKind.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace ql {

namespace {

void fillWith(QPainter& painter, const QRectF& area, const QBrush& brush) { painter.fillRect(area, brush); }
void fillWith(QPainter& painter, const QPainterPath& area, const QBrush& brush) { painter.fillPath(area, brush); }

template <class Area>
void fillAtOpacity(QPainter& painter, const Area& area, const QBrush& brush)
{
    const double opacity = painter.opacity();
    if (!brush.gradient() || opacity >= 1.0) {
        fillWith(painter, area, brush);
        return;
    }
    QGradient faded = *brush.gradient();
    QGradientStops stops = faded.stops();
    for (QGradientStop& stop : stops)
        stop.second.setAlphaF(float(stop.second.alphaF() * opacity));
    faded.setStops(stops);
    QBrush fill(faded);
    fill.setTransform(brush.transform());
    painter.save();
    painter.setOpacity(1.0);
    fillWith(painter, area, fill);
    painter.restore();
}

} // namespace

GradientGeometry::Shape GradientGeometry::shapeOfKind(int kind)
{
    switch (kind) {
    case 0:
    case 2:
        return Shape::Linear;
    case 1:
    case 3:
        return Shape::Radial;
    default:
        return Shape::None;
    }
}

GradientGeometry::Shape GradientGeometry::shapeOfKind(const QVariant& kind)
{
    // A kind never stored reads as 0, as a missing number does everywhere.
    if (!kind.isValid())
        return Shape::Linear;
    return isNumeric(kind) ? shapeOfKind(integerFromVariant<int>(kind)) : Shape::None;
}

QBrush GradientGeometry::brush(const QGradientStops& stops, Shape shape, double degrees, const QRectF& rect)
{
    if (stops.isEmpty() || shape == Shape::None)
        return Qt::NoBrush;
    const QPointF centre = rect.center();
    if (shape == Shape::Radial) {
        QRadialGradient radial(centre, std::max(std::hypot(rect.width(), rect.height()) / 2.0, 1e-6));
        radial.setStops(stops);
        return radial;
    }
    // The ends lie where the rectangle's corners project onto the line.
    const double radians = qDegreesToRadians(std::isfinite(degrees) ? degrees : 0.0);
    const QPointF direction(std::cos(radians), std::sin(radians));
    const double half = (std::abs(direction.x()) * rect.width() + std::abs(direction.y()) * rect.height()) / 2.0;
    QLinearGradient linear(centre - direction * half, centre + direction * half);
    linear.setStops(stops);
    return linear;
}

void GradientGeometry::fill(QPainter& painter, const QRectF& area, const QBrush& brush)
{
    fillAtOpacity(painter, area, brush);
}

void GradientGeometry::fill(QPainter& painter, const QPainterPath& area, const QBrush& brush)
{
    fillAtOpacity(painter, area, brush);
}

} // namespace ql
