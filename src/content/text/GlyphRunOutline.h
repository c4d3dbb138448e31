// The outline of a text set as one run in one font: its glyphs placed one
// after another by their advances from the origin on the baseline, line
// breaks and other control characters left out. The outline stands as the
// platform's glyph paths do, y up (ascenders at positive y): callers flip
// it for y-down drawings.
#pragma once

#include "platform/graphics/BezierPath.h"

#include <QRawFont>
#include <QString>

namespace ql::text {

class GlyphRunOutline {
public:
    // Starts with a move to the origin; nothing else for a text without
    // glyphs or a font that cannot be used.
    static BezierPath of(const QString& text, const QRawFont& font);
    // The system's font at a size in points (20 when text has no font).
    static QRawFont systemFont(double pointSize);
};

} // namespace ql::text
