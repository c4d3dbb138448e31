// A caption typesetter with simple fixed metrics, so that renderer tests do
// not depend on the fonts installed: every character is 0.6 of the size wide,
// ascent 0.75, descent 0.25. Glyphs are drawn as blue boxes.
#pragma once

#include "codes/barcodes/BCCaptionTypesetter.h"

#include <QPainter>
#include <cmath>

namespace barcodetest {

class FixedMetricsTypesetter final : public ql::BCCaptionTypesetter {
public:
    ql::BCCaptionLine firstLine(const QString& text, const QString&, double fontSize, double widthLimit) const override
    {
        if (text.isEmpty())
            return {};
        const double advance = 0.6 * fontSize;
        qsizetype length = text.size();
        if (widthLimit > 0)
            length = std::clamp<qsizetype>(qsizetype(std::floor(widthLimit / advance)), 1, text.size());
        return {length, double(length) * advance, 0.75 * fontSize, 0.25 * fontSize};
    }

    void drawFirstLine(QPainter& painter, const QString& text, const QString& fontName, double fontSize,
                       double widthLimit, QPointF baseline) const override
    {
        const ql::BCCaptionLine line = firstLine(text, fontName, fontSize, widthLimit);
        painter.fillRect(QRectF(baseline.x(), baseline.y() - line.ascent, line.width, line.height()), QColor(0, 0, 255));
    }
};

} // namespace barcodetest
