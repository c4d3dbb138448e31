#include "codes/barcodes/BCCaptionFace.h"

#include "codes/barcodes/BCBlackOver.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <cmath>
#include <limits>

namespace ql {

namespace {

// Text layout works in 26.6 fixed point; this is wide enough for any caption.
constexpr double UnlimitedWidth = 1.0e6;
// Pairs that any kerning font adjusts; a font whose layout of these equals the
// sum of its advances does not kern.
const QString KerningProbe = QStringLiteral("AVAWATAYTo LTFPY7,4-1");
// Enough for every offset of the digits and capitals of a 300-point caption.
constexpr qsizetype KeptMaskBytes = 16 * 1024 * 1024;
constexpr int Quarters = 4;

} // namespace

std::unique_ptr<QTextLayout> BCCaptionFace::layOutFirstLine(const QString& text, const QFont& font,
                                                            const QPaintDevice* device, double widthLimit)
{
    auto layout = std::make_unique<QTextLayout>(text, font, const_cast<QPaintDevice*>(device));
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    if (line.isValid())
        line.setLineWidth(widthLimit > 0 ? widthLimit : UnlimitedWidth);
    layout->endLayout();
    return layout;
}

BCCaptionFace::BCCaptionFace(const QFont& font, const QPaintDevice* device)
    : m_font(font)
    , m_raw(QRawFont::fromFont(font))
    , m_device(device)
{
    if (!m_raw.isValid())
        return;
    m_raw.setPixelSize(font.pointSizeF()); // one pixel per point on the 72-dpi device
    double sum = 0;
    for (const QChar character : KerningProbe) {
        const Glyph& probed = glyph(character.unicode());
        if (probed.index == 0)
            return;
        sum += probed.advance;
    }
    m_kerns = sum + glyph(KerningProbe.back().unicode()).overhang != layoutWidth(KerningProbe);
}

double BCCaptionFace::layoutWidth(const QString& text) const
{
    const auto layout = layOutFirstLine(text, m_font, m_device, 0);
    return layout->lineAt(0).isValid() ? layout->lineAt(0).naturalTextWidth() : -1;
}

const BCCaptionFace::Glyph& BCCaptionFace::glyph(char16_t character)
{
    Glyph& kept = m_glyphs[character & 0xff];
    if (kept.known)
        return kept;
    kept.known = true;
    const QString alone(QChar{character});
    const QList<quint32> indexes = m_raw.glyphIndexesForString(alone);
    if (indexes.size() != 1 || indexes.front() == 0)
        return kept;
    const quint32 index = indexes.front();
    kept.advance = m_raw.advancesForGlyphIndexes(indexes).value(0).x();
    // The layout widens a line whose last glyph reaches past its advance by
    // the overhang of the glyph's whole-pixel box, rounded.
    kept.overhang = std::max(0.0, std::floor(m_raw.boundingRect(index).right() - kept.advance + 0.5));
    // A character whose width alone the layout sees otherwise is left to it.
    if (character == u' ' || kept.advance + kept.overhang == layoutWidth(alone))
        kept.index = index;
    return kept;
}

std::optional<BCCaptionLine> BCCaptionFace::measure(const QString& text, double widthLimit)
{
    if (m_kerns || text.isEmpty() || text.front() == u' ' || text.back() == u' ')
        return std::nullopt;
    // The layout breaks the line before the first glyph that, with its
    // overhang, would reach past the limit (in its 26.6 fixed point); where
    // and how it breaks is left to it.
    const double limit = widthLimit > 0 ? std::round(widthLimit * 64) / 64 : std::numeric_limits<double>::infinity();
    double width = 0;
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        if (code < 0x20 || (code >= 0x7f && code < 0xa0) || code > 0xff)
            return std::nullopt;
        const Glyph& set = glyph(code);
        if (set.index == 0 || (text.size() > 1 && width + set.advance + set.overhang > limit))
            return std::nullopt;
        width += set.advance;
    }
    width += glyph(text.back().unicode()).overhang;
    return BCCaptionLine{text.size(), width, m_raw.ascent(), m_raw.descent()};
}

const BCCaptionFace::Mask& BCCaptionFace::mask(quint32 index, int quarterX, int quarterY)
{
    const quint64 key = (quint64(index) << 8) | quint64(quarterX << 4) | quint64(quarterY);
    if (const auto it = m_masks.constFind(key); it != m_masks.constEnd())
        return *it;
    if (m_maskBytes > KeptMaskBytes)
        dropMasks();
    const QPointF origin(double(quarterX) / Quarters, double(quarterY) / Quarters);
    const QPainterPath path = m_raw.pathForGlyph(index).translated(origin);
    const QRect box = path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1);
    Mask made{QImage(box.size().expandedTo(QSize(1, 1)), QImage::Format_Alpha8), box.topLeft()};
    made.coverage.fill(0);
    if (!path.isEmpty()) {
        QPainter painter(&made.coverage);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-box.topLeft());
        painter.fillPath(path, Qt::black);
    }
    for (int row = 0; row < made.coverage.height(); ++row) {
        made.rowRuns.push_back(made.runs.size());
        const uchar* coverage = made.coverage.constScanLine(row);
        for (int column = 0; column < made.coverage.width();) {
            const uchar alpha = coverage[column];
            int end = column + 1;
            while (end < made.coverage.width() && (coverage[end] == 255) == (alpha == 255) && (coverage[end] == 0) == (alpha == 0))
                ++end;
            if (alpha != 0)
                made.runs.push_back({column, end, alpha == 255});
            column = end;
        }
    }
    made.rowRuns.push_back(made.runs.size());
    m_maskBytes += made.coverage.sizeInBytes() + qsizetype(made.runs.size() * sizeof(Run));
    return *m_masks.insert(key, std::move(made));
}

void BCCaptionFace::dropMasks()
{
    m_masks.clear();
    m_maskBytes = 0;
}

void BCCaptionFace::draw(QImage& image, const QString& text, QPointF baseline)
{
    const QRect bounds = image.rect();
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    double x = baseline.x();
    const double y = std::floor(baseline.y() * Quarters + 0.5) / Quarters;
    const int wholeY = int(std::floor(y));
    const int quarterY = int((y - wholeY) * Quarters);
    for (const QChar character : text) {
        const Glyph& set = glyph(character.unicode());
        const double quarteredX = std::floor(x * Quarters + 0.5) / Quarters;
        x += set.advance;
        const int wholeX = int(std::floor(quarteredX));
        const Mask& shape = mask(set.index, int((quarteredX - wholeX) * Quarters), quarterY);
        const QRect target = QRect(QPoint(wholeX, wholeY) + shape.offset, shape.coverage.size()) & bounds;
        const int left = wholeX + shape.offset.x();
        for (int row = target.top(); row <= target.bottom(); ++row) {
            const int maskRow = row - wholeY - shape.offset.y();
            const uchar* coverage = shape.coverage.constScanLine(maskRow) - left;
            auto* pixels = reinterpret_cast<quint32*>(bits + row * stride);
            for (size_t run = shape.rowRuns[size_t(maskRow)]; run < shape.rowRuns[size_t(maskRow) + 1]; ++run) {
                const int from = std::max(target.left(), left + shape.runs[run].start);
                const int to = std::min(target.right() + 1, left + shape.runs[run].end);
                if (shape.runs[run].whole) {
                    std::fill(pixels + from, pixels + std::max(from, to), 0xff000000u);
                    continue;
                }
                // Captions mostly fall on clear pixels, where black at a coverage is just that alpha.
                for (int column = from; column < to; ++column)
                    pixels[column] = pixels[column] ? BCBlackOver(pixels[column], coverage[column]) : quint32(coverage[column]) << 24;
            }
        }
    }
}

} // namespace ql
