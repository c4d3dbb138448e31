#include "content/ContentOverlays.h"

#include "platform/graphics/Gradient.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace ql::content {

void drawGradientOverlay(QPainter& painter, const QRectF& bounds, const QVariant& gradient, const QVariant& angle,
                         const QVariant& type)
{
    if (gradient.metaType() != QMetaType::fromType<Gradient>() || bounds.isEmpty())
        return;
    const Gradient colours = gradient.value<Gradient>();
    if (colours.isEmpty())
        return;
    const int kind = type.toInt();
    const QPointF centre = bounds.center();
    if (kind == 0 || kind == 2) {
        double degrees = angle.toDouble();
        if (!std::isfinite(degrees))
            degrees = 0.0;
        const double radians = degrees * std::numbers::pi / 180.0;
        const QPointF direction(std::cos(radians), std::sin(radians));
        // Far enough along the direction that both ends cover the corners.
        const double half = (std::abs(bounds.width() * direction.x()) + std::abs(bounds.height() * direction.y())) / 2;
        QLinearGradient linear(centre - direction * half, centre + direction * half);
        linear.setStops(colours.qtStops());
        painter.fillRect(bounds, linear);
    } else if (kind == 1 || kind == 3) {
        QRadialGradient radial(centre, std::hypot(bounds.width(), bounds.height()) / 2);
        radial.setStops(colours.qtStops());
        painter.fillRect(bounds, radial);
    }
}

void drawTiledImage(QPainter& painter, const QRectF& bounds, const Image& tile)
{
    const QImage bitmap = tile.bitmap();
    if (bitmap.isNull() || bounds.isEmpty())
        return;
    const QSizeF size = tile.size();
    if (!(size.width() > 0 && size.height() > 0))
        return;
    QBrush pattern(bitmap);
    // Each tile is the picture's size in points, whatever its pixel count.
    pattern.setTransform(QTransform::fromScale(size.width() / bitmap.width(), size.height() / bitmap.height())
                         * QTransform::fromTranslate(bounds.left(), bounds.top()));
    painter.fillRect(bounds, pattern);
}

} // namespace ql::content
