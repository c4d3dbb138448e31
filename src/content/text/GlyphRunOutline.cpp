#include "content/text/GlyphRunOutline.h"

#include <QFontDatabase>
#include <cmath>
#include <QPainterPath>
#include <QTransform>

namespace ql::text {

namespace {

bool hasNoGlyph(QChar character)
{
    const QChar::Category category = character.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line
           || category == QChar::Separator_Paragraph || category == QChar::Other_Format;
}

} // namespace

BezierPath GlyphRunOutline::of(const QString& text, const QRawFont& font)
{
    BezierPath outline;
    outline.moveTo(QPointF(0, 0));
    if (!font.isValid())
        return outline;
    QString run = text;
    run.removeIf(hasNoGlyph);
    const QList<quint32> glyphs = font.glyphIndexesForString(run);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    double x = 0.0;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        // Qt's outlines hang below a y-down baseline; turned up, they stand as the platform's do.
        const QPainterPath glyph = font.pathForGlyph(glyphs[i]);
        if (!glyph.isEmpty())
            outline.append(BezierPath::fromPainterPath(QTransform(1, 0, 0, -1, x, 0).map(glyph)));
        if (i < advances.size() && std::isfinite(advances[i].x()))
            x += advances[i].x();
    }
    return outline;
}

QRawFont GlyphRunOutline::systemFont(double pointSize)
{
    QRawFont font = QRawFont::fromFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    // One unit a point, as text is laid out at 72 dpi.
    font.setPixelSize(pointSize);
    return font;
}

} // namespace ql::text
