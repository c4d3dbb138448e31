#include "panels/gradients/GPGradients.h"

#include <cmath>

namespace ql {

namespace {

Color grey(double level, double alpha = 1.0)
{
    return Color::calibratedRgb(level, level, level, alpha);
}

Color white(double level, double alpha)
{
    return Color::calibratedWhite(level, alpha);
}

} // namespace

Gradient GPGradients::gradientFromColor(const Color& from, const Color& to)
{
    return Gradient(QList<Gradient::Stop> {{from, 0.0}, {to, 1.0}});
}

Gradient GPGradients::glossyGradientWithMidpoint(double midpoint, const Color& color1, const Color& color2,
                                                 const Color& color3, const Color& color4)
{
    return Gradient(QList<Gradient::Stop> {{color1, 0.0}, {color2, midpoint}, {color3, midpoint}, {color4, 1.0}});
}

Gradient GPGradients::glossyGradient()
{
    return glossyGradientWithMidpoint(0.5, grey(0.85), grey(0.85), grey(0.9), grey(1.0));
}

Gradient GPGradients::inverseGlossyGradient()
{
    return glossyGradientWithMidpoint(0.5, grey(1.0), grey(0.9), grey(0.85), grey(0.85));
}

Gradient GPGradients::darkGlossyGradient()
{
    return glossyGradientWithMidpoint(0.5, grey(0.03), grey(0.12), grey(0.15), grey(0.25));
}

Gradient GPGradients::midGlossyGradient()
{
    return glossyGradientWithMidpoint(0.5, grey(0.6), grey(0.65), grey(0.68), grey(0.78));
}

Gradient GPGradients::redGlossyGradient()
{
    return glossyGradientWithMidpoint(0.5, grey(0.85), grey(0.85), Color::calibratedRgb(0.65, 0, 0, 0.85),
                                      Color::calibratedRgb(1.0, 0.3, 0.3));
}

Gradient GPGradients::clockDarkGlossyGradient()
{
    return glossyGradientWithMidpoint(0.5, grey(0.08), grey(0.18), grey(0.12), grey(0.03));
}

Gradient GPGradients::codexFloatingWindowTitleGradient()
{
    return glossyGradientWithMidpoint(0.5, white(0.3, 0.8), white(0.28, 0.8), white(0.2, 0.8), white(0.22, 0.8));
}

Gradient GPGradients::codexFloatingWindowTitleInactiveGradient()
{
    return glossyGradientWithMidpoint(0.5, white(0.2, 0.45), white(0.25, 0.45), white(0.2, 0.45),
                                      white(0.15, 0.45));
}

Gradient GPGradients::popoverHeaderGradient()
{
    return glossyGradientWithMidpoint(0.2, white(0.25, 0.15), white(0.22, 0.15), white(0.2, 0.15),
                                      white(0.15, 0.15));
}

Gradient GPGradients::simpleGradient()
{
    return gradientFromColor(Color::black(), Color::white());
}

Gradient GPGradients::clearGradient()
{
    return gradientFromColor(Color::clear(), Color::clear());
}

Gradient GPGradients::darkSubtleGradient()
{
    return Gradient(QList<Gradient::Stop> {
        {grey(0.25, 0.9), 0.0},
        {grey(0.15, 0.9), 7.0 / 46.0},
        {grey(0.1, 0.9), 33.0 / 46.0},
        {grey(0.03, 0.9), 1.0},
    });
}

Gradient GPGradients::spectrumGradient()
{
    QList<Gradient::Stop> stops;
    for (int i = 0; i <= 5; ++i) {
        const double hue = i / 5.0;
        stops.append({colorWithHue(hue, 1.0, 1.0), hue});
    }
    return Gradient(stops);
}

Color GPGradients::colorWithHue(double hue, double saturation, double brightness, double alpha)
{
    // Six sectors of the colour wheel; hue 1 lands on red like hue 0.
    const double h = (hue - std::floor(hue)) * 6.0;
    const int sector = int(h) % 6;
    const double f = h - std::floor(h);
    const double v = brightness;
    const double p = v * (1.0 - saturation);
    const double q = v * (1.0 - saturation * f);
    const double t = v * (1.0 - saturation * (1.0 - f));
    switch (sector) {
    case 0: return Color::calibratedRgb(v, t, p, alpha);
    case 1: return Color::calibratedRgb(q, v, p, alpha);
    case 2: return Color::calibratedRgb(p, v, t, alpha);
    case 3: return Color::calibratedRgb(p, q, v, alpha);
    case 4: return Color::calibratedRgb(t, p, v, alpha);
    default: return Color::calibratedRgb(v, p, q, alpha);
    }
}

} // namespace ql
