// The ranges the page settings allow, in points. Pages read from a file are
// brought into them, so that no stored number can make a page too large to
// show, guide or write out.
#pragma once

#include <algorithm>
#include <cmath>

namespace ql::PageLimits {

// A page side: from the smallest to the largest page a PDF holds (200 inches).
constexpr double kMinimumSide = 3.0;
constexpr double kMaximumSide = 14400.0;
// Margins and gutters: nothing below zero, nothing wider than a page.
constexpr double kMaximumMargin = kMaximumSide;
// Bleed: up to 20 inches round the trimmed page.
constexpr double kMaximumBleed = 1440.0;
// Column and row guides: up to 100 of each.
constexpr int kMaximumGuideCount = 100;

// `value` within [low, high]; `fallback` when it is not a number at all.
inline double clamped(double value, double low, double high, double fallback)
{
    return std::isnan(value) ? fallback : std::clamp(value, low, high);
}

} // namespace ql::PageLimits
