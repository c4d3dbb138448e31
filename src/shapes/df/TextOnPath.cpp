#include "shapes/df/TextOnPath.h"

#include "platform/graphics/FontResolver.h"
#include "shapes/df/PathMeasure.h"

#include <QGlyphRun>
#include <QTextLayout>
#include <cmath>

namespace ql::df {

namespace {

struct PlacedGlyph {
    QRawFont font;
    quint32 index = 0;
    double x = 0.0;        // origin along the line
    double baseline = 0.0; // shift from the common baseline, y-down
    double advance = 0.0;
};

QFont fontForRun(const TextAttributes& attributes)
{
    const QVariant value = attributes.value(TextAttribute::font);
    const Font font = value.canConvert<Font>() ? value.value<Font>() : Font();
    QFont qfont = FontResolver::resolve(font.isNull() ? Font(FontResolver::defaultPostScriptName(), FontResolver::defaultPointSize) : font);
    const double kern = attributes.value(TextAttribute::kern).toDouble();
    if (std::isfinite(kern) && kern != 0.0 && std::abs(kern) < 1000.0)
        qfont.setLetterSpacing(QFont::AbsoluteSpacing, kern);
    return qfont;
}

// Lays each attribute run out on one line at 72 dpi, one after another;
// returns the glyphs in reading order and the line's width.
std::vector<PlacedGlyph> layOut(const AttributedString& text, double& width)
{
    std::vector<PlacedGlyph> glyphs;
    width = 0.0;
    for (const AttributedString::Run& run : text.runs()) {
        QString part = text.string().mid(run.start, run.length);
        part.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        QTextLayout layout(part, fontForRun(run.attributes), FontResolver::layoutDevice());
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            layout.endLayout();
            continue;
        }
        line.setLineWidth(1.0e7);
        layout.endLayout();
        const double baseline = line.y() + line.ascent();
        for (const QGlyphRun& glyphRun : line.glyphRuns()) {
            const QRawFont font = glyphRun.rawFont();
            const QList<quint32> indexes = glyphRun.glyphIndexes();
            const QList<QPointF> positions = glyphRun.positions();
            const QList<QPointF> advances = font.advancesForGlyphIndexes(indexes);
            for (qsizetype i = 0; i < indexes.size() && i < positions.size() && i < advances.size(); ++i)
                glyphs.push_back({font, indexes[i], width + positions[i].x(), positions[i].y() - baseline, advances[i].x()});
        }
        width += line.naturalTextWidth();
    }
    std::stable_sort(glyphs.begin(), glyphs.end(), [](const PlacedGlyph& a, const PlacedGlyph& b) { return a.x < b.x; });
    return glyphs;
}

double startAlong(const AttributedString& text, double length, double width)
{
    const QVariant value = text.attributeAt(TextAttribute::paragraphStyle, 0);
    if (!value.canConvert<ParagraphStyle>())
        return 0.0;
    const ParagraphStyle style = value.value<ParagraphStyle>();
    const double indent = std::isfinite(style.firstLineHeadIndent) ? style.firstLineHeadIndent : 0.0;
    switch (style.alignment) {
    case ParagraphStyle::Alignment::Center: return indent + (length - indent - width) / 2.0;
    case ParagraphStyle::Alignment::Right: return length - width;
    default: return indent;
    }
}

} // namespace

BezierPath bezierPathWithTextOnPath(const BezierPath& path, const AttributedString& text, double yOffset)
{
    const PathMeasure measure(path);
    if (measure.isEmpty() || text.isEmpty() || !std::isfinite(yOffset))
        return {};
    double width = 0.0;
    const std::vector<PlacedGlyph> glyphs = layOut(text, width);
    const double length = measure.length();
    const double start = startAlong(text, length, width);
    // Tolerates rounding at the very end of the path.
    constexpr double slack = 1e-6;

    BezierPath outlines;
    for (const PlacedGlyph& glyph : glyphs) {
        const double from = start + glyph.x;
        if (from < -slack)
            continue;
        if (from + glyph.advance > length + slack)
            break;
        const QPainterPath outline = glyph.font.pathForGlyph(glyph.index);
        if (outline.isEmpty())
            continue;
        const double centre = from + glyph.advance / 2.0;
        QTransform place;
        place.translate(measure.pointAtLength(centre).x(), measure.pointAtLength(centre).y());
        place.rotateRadians(measure.angleAtLength(centre));
        // Glyph space is y-down with the baseline at 0: up is −y.
        place.translate(-glyph.advance / 2.0, glyph.baseline - yOffset);
        outlines.append(BezierPath::fromPainterPath(place.map(outline)));
    }
    // Glyph outlines wind their counters the other way.
    outlines.setWindingRule(BezierPath::WindingRule::NonZero);
    return outlines;
}

} // namespace ql::df
