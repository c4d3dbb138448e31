// Colours from and to "#RRGGBB" strings, as code and settings write them.
#pragma once

#include "platform/graphics/Color.h"

#include <QString>
#include <optional>

namespace ql {

// "#1D62F0", "1D62F0", "##1D62F0" and the short "FFF" give calibrated RGB
// with alpha 1. A pair that is not hexadecimal is skipped (later pairs move
// forward; missing components are 0). Any length but 3 or 6 after the hash
// signs is logged and gives no colour.
std::optional<Color> colorWithHex(const QString& hex);
// "#RRGGBB" in upper case, components truncated (and kept within 0..255).
QString hexColor(const Color& color);

} // namespace ql
