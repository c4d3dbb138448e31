// How the renderer measures and draws caption lines. The renderer only needs
// the first line of a text set at a size, so tests can stand in fixed metrics
// and stay independent of the fonts installed.
#pragma once

#include <QPointF>
#include <QString>

class QImage;
class QPainter;

namespace ql {

struct BCCaptionLine {
    qsizetype length = 0; // characters that fit on the first line
    double width = 0;     // typographic width of that line
    double ascent = 0;
    double descent = 0;
    double height() const { return ascent + descent; }
};

class BCCaptionTypesetter {
public:
    virtual ~BCCaptionTypesetter() = default;

    // The first line of `text` in the font at `fontSize` points, broken to fit
    // `widthLimit` (0 means no limit). An empty text has an empty line.
    virtual BCCaptionLine firstLine(const QString& text, const QString& fontName, double fontSize,
                                    double widthLimit) const = 0;
    // Draws the first line with its baseline starting at `baseline`, in black.
    virtual void drawFirstLine(QPainter& painter, const QString& text, const QString& fontName, double fontSize,
                               double widthLimit, QPointF baseline) const = 0;
    // The same straight into a premultiplied ARGB image, without a painter;
    // false when this typesetter cannot, and the caller paints instead.
    virtual bool drawFirstLineInImage(QImage&, const QString&, const QString&, double, double, QPointF) const
    {
        return false;
    }

    // The typesetter on the installed fonts at 72 dpi.
    static const BCCaptionTypesetter& standard();
};

} // namespace ql
