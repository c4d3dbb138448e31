#include "platform/graphics/Gradient.h"

#include <algorithm>

namespace ql {

Gradient::Gradient(const QList<Color>& colors)
{
    const qsizetype n = colors.size();
    for (qsizetype i = 0; i < n; ++i)
        m_stops.append(Stop {colors[i], n == 1 ? 0.0 : double(i) / double(n - 1)});
}

QList<Color> Gradient::colors() const
{
    QList<Color> result;
    for (const Stop& s : m_stops)
        result.append(s.color);
    return result;
}

QList<double> Gradient::locations() const
{
    QList<double> result;
    for (const Stop& s : m_stops)
        result.append(s.location);
    return result;
}

QGradientStops Gradient::qtStops() const
{
    QGradientStops result;
    for (const Stop& s : m_stops)
        result.append({std::clamp(s.location, 0.0, 1.0), s.color.toQColor()});
    std::stable_sort(result.begin(), result.end(),
                     [](const QGradientStop& a, const QGradientStop& b) { return a.first < b.first; });
    return result;
}

} // namespace ql
