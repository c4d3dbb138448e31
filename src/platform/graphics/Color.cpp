#include "platform/graphics/Color.h"

#include <algorithm>

namespace ql {

namespace {

double unit(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

} // namespace

Color::Color(Space space, std::array<double, 4> components, double alpha)
    : m_space(space), m_components(components), m_alpha(alpha)
{
}

Color Color::calibratedRgb(double red, double green, double blue, double alpha)
{
    return Color(Space::CalibratedRGB, {red, green, blue, 0.0}, alpha);
}

Color Color::deviceRgb(double red, double green, double blue, double alpha)
{
    return Color(Space::DeviceRGB, {red, green, blue, 0.0}, alpha);
}

Color Color::calibratedWhite(double white, double alpha)
{
    return Color(Space::CalibratedWhite, {white, 0.0, 0.0, 0.0}, alpha);
}

Color Color::deviceWhite(double white, double alpha)
{
    return Color(Space::DeviceWhite, {white, 0.0, 0.0, 0.0}, alpha);
}

Color Color::deviceCmyk(double cyan, double magenta, double yellow, double black, double alpha)
{
    return Color(Space::DeviceCMYK, {cyan, magenta, yellow, black}, alpha);
}

Color Color::fromQColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return calibratedRgb(rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF());
}

int Color::componentCount() const
{
    if (isRgb())
        return 3;
    if (isWhite())
        return 1;
    return 4;
}

Color Color::withAlpha(double alpha) const
{
    Color copy = *this;
    copy.m_alpha = alpha;
    return copy;
}

double Color::rgbComponent(int index) const
{
    if (isRgb())
        return m_components[index];
    if (isWhite())
        return m_components[0];
    return (1.0 - unit(m_components[index])) * (1.0 - unit(m_components[3]));
}

QColor Color::toQColor() const
{
    if (isCmyk())
        return QColor::fromCmykF(float(unit(m_components[0])), float(unit(m_components[1])),
                                 float(unit(m_components[2])), float(unit(m_components[3])),
                                 float(unit(m_alpha)));
    return QColor::fromRgbF(float(unit(redComponent())), float(unit(greenComponent())),
                            float(unit(blueComponent())), float(unit(m_alpha)));
}

} // namespace ql
