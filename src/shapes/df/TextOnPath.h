// Glyph outlines of styled text laid along a path.
#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"

namespace ql::df {

// Each glyph of the text sits at its advance along the path's first
// subpath, turned to the path's direction there, its baseline moved across
// the path by `yOffset` (positive: to the side the glyphs stand up on, the
// left of the direction of travel). The paragraph style's alignment and
// first-line indent place the text along the path; glyphs that would reach
// past either end are left out. Fonts without a face fall back as the font
// resolver says; text without a font is 12-point Helvetica.
BezierPath bezierPathWithTextOnPath(const BezierPath& path, const AttributedString& text, double yOffset);

} // namespace ql::df
