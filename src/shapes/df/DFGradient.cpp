#include "shapes/df/DFGradient.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

DFGradient::DFGradient(QList<DFColorStop> stops, int type, double angle)
    : m_stops(std::move(stops)), m_type(type), m_angle(angle)
{
}

DFGradient DFGradient::gradientWithAlpha(double alpha) const
{
    const double factor = std::isfinite(alpha) ? std::clamp(alpha, 0.0, 1.0) : 1.0;
    DFGradient copy = *this;
    for (DFColorStop& stop : copy.m_stops)
        stop.setColor(stop.color().withAlpha(stop.color().alpha() * factor));
    return copy;
}

QBrush DFGradient::brushForRect(const QRectF& rect) const
{
    if (m_stops.isEmpty())
        return Qt::NoBrush;
    QGradientStops stops;
    for (const DFColorStop& stop : m_stops) {
        const double at = std::isfinite(stop.position()) ? std::clamp(stop.position(), 0.0, 1.0) : 0.0;
        stops.append({at, stop.color().toQColor()});
    }
    // Qt wants its stops in order of position.
    std::stable_sort(stops.begin(), stops.end(), [](const QGradientStop& a, const QGradientStop& b) { return a.first < b.first; });
    const QPointF c = rect.center();
    if (m_type == Radial) {
        const double radius = std::max(std::hypot(rect.width(), rect.height()) / 2.0, 1e-6);
        QRadialGradient radial(c, radius);
        radial.setStops(stops);
        return radial;
    }
    // Counter-clockwise on the page is clockwise in y-down coordinates; the
    // gradient runs through the rectangle's projection on that direction.
    const double angle = std::isfinite(m_angle) ? m_angle : 0.0;
    const QPointF direction(std::cos(angle), -std::sin(angle));
    const double reach = (std::abs(direction.x()) * rect.width() + std::abs(direction.y()) * rect.height()) / 2.0;
    QLinearGradient linear(c - direction * reach, c + direction * reach);
    linear.setStops(stops);
    return linear;
}
