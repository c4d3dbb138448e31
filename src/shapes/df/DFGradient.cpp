#include "shapes/df/DFGradient.h"

#include "platform/graphics/GradientGeometry.h"

#include <QtMath>
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
    // The angle runs counter-clockwise as seen on the page, the opposite
    // turn of the y-down degrees the shared geometry takes.
    const double angle = std::isfinite(m_angle) ? m_angle : 0.0;
    const auto shape = m_type == Radial ? ql::GradientGeometry::Shape::Radial : ql::GradientGeometry::Shape::Linear;
    return ql::GradientGeometry::brush(stops, shape, -qRadiansToDegrees(angle), rect);
}
