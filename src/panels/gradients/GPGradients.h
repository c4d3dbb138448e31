// The ready-made gradients and the two builders they are made with. The
// gradient panel lists eight of them, gradient wells start from the clear
// one and the background picker's gradient well from the spectrum.
#pragma once

#include "platform/graphics/Gradient.h"

namespace ql {

class GPGradients {
public:
    // `from` at 0, `to` at 1.
    static Gradient gradientFromColor(const Color& from, const Color& to);
    // color1 at 0, color2 and color3 both at the midpoint (a hard edge there),
    // color4 at 1.
    static Gradient glossyGradientWithMidpoint(double midpoint, const Color& color1, const Color& color2,
                                               const Color& color3, const Color& color4);

    static Gradient glossyGradient();
    static Gradient inverseGlossyGradient();
    static Gradient darkGlossyGradient();
    static Gradient midGlossyGradient();
    static Gradient redGlossyGradient();
    static Gradient clockDarkGlossyGradient();
    static Gradient codexFloatingWindowTitleGradient();
    static Gradient codexFloatingWindowTitleInactiveGradient();
    static Gradient popoverHeaderGradient();
    static Gradient simpleGradient();
    static Gradient clearGradient();
    static Gradient darkSubtleGradient();
    static Gradient spectrumGradient();

    // A calibrated RGB colour from hue, saturation and brightness, each 0 to 1
    // (hue 1 is red again).
    static Color colorWithHue(double hue, double saturation, double brightness, double alpha = 1.0);
};

} // namespace ql
