#include "codes/barcodes/BCCodeRenderer.h"

#include "codes/barcodes/BCBlackOver.h"

#include <QPainter>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <optional>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ql {

namespace {

constexpr double BleedReduction = 0.13; // taken off each side of a bar
constexpr int DotsPerMeterAt72Dpi = 2835;
constexpr double LargestFittedFontSize = 4096; // ends the search for absurdly wide zones
constexpr double MeasuredFontSize = 100; // large enough that rounded advances barely matter

// Regions found while walking the code characters.
struct Regions {
    QRectF content;                   // union of the non-marker characters
    std::optional<QRectF> middle;     // first marker after a non-marker
    std::optional<QRectF> leftQuiet;  // left of a leading marker
    std::optional<QRectF> rightQuiet; // right of the last marker
};

QRectF rowOf(const QRectF& rect, double top, double height)
{
    return QRectF(rect.left(), top, rect.width(), height);
}

// Most rows of a code repeat the row above. In an image larger than a core's
// own cache they are copied 32 bytes at a time where the processor can: the
// library's copy, quicker in the core's cache, loses pace beyond it.
constexpr qsizetype CoreCacheBytes = 2 * 1024 * 1024;

#if defined(__x86_64__)
__attribute__((target("avx2"))) void repeatRowWide(quint32* row, const quint32* above, int width)
{
    int x = 0;
    for (; x + 8 <= width; x += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(above + x)));
    for (; x < width; ++x)
        row[x] = above[x];
}
#endif

void repeatRow(quint32* row, const quint32* above, int width, bool large)
{
#if defined(__x86_64__)
    static const bool wide = __builtin_cpu_supports("avx2");
    if (large && wide) {
        repeatRowWide(row, above, width);
        return;
    }
#endif
    std::memcpy(row, above, size_t(width) * sizeof(quint32));
}

// Fills `count` pixels with one value: a few one at a time, then doubling
// copies of what is filled, which run at the library copy's pace where a
// plain loop stores one pixel at a time.
void fillPixels(quint32* pixels, int count, quint32 value)
{
    constexpr int Seed = 16;
    int filled = 0;
    for (; filled < std::min(count, Seed); ++filled)
        pixels[filled] = value;
    while (filled < count) {
        const int chunk = std::min(filled, count - filled);
        std::memcpy(pixels + filled, pixels, size_t(chunk) * sizeof(quint32));
        filled += chunk;
    }
}

// Whole pixels of bar edges, which lie well within int's range: the
// conversion and one comparison, cheaper than the library's rounding.
int floorToInt(double value)
{
    const int truncated = int(value);
    return truncated - (value < double(truncated) ? 1 : 0);
}

int ceilToInt(double value)
{
    const int truncated = int(value);
    return truncated + (value > double(truncated) ? 1 : 0);
}

QString orNullWord(const QString& text)
{
    return text.isNull() ? QStringLiteral("(null)") : text;
}

} // namespace

BCCodeRenderer::BCCodeRenderer(const BCCaptionTypesetter& typesetter)
    : m_typesetter(typesetter)
{
}

QRectF BCCodeRenderer::calculateBarRect(BCBarKind bar, double x, double barScale, double barLength)
{
    double top = 0;
    double bottom = barLength;
    switch (bar) {
    case BCBar::LowerHalf: top = barLength / 2; break;
    case BCBar::UpperHalf: bottom = barLength / 2; break;
    case BCBar::UpperTwoThirds: bottom = 2 * barLength / 3; break;
    case BCBar::MiddleThird: top = barLength / 3; bottom = 2 * barLength / 3; break;
    case BCBar::LowerTwoThirds: top = barLength / 3; break;
    default: break;
    }
    return QRectF(x, top, barScale, bottom - top);
}

double BCCodeRenderer::optimalFontSizeToFitText(const QString& text, const QString& fontName, double width) const
{
    const auto fills = [&](double size) { return m_typesetter.firstLine(text, fontName, size, 0).width >= width; };
    // Widths grow in proportion to the size, so one measurement predicts the
    // size; its neighbour below confirms it against rounded advances.
    const double measured = m_typesetter.firstLine(text, fontName, MeasuredFontSize, 0).width;
    if (measured > 0) {
        const double predicted = std::clamp(std::ceil(width * MeasuredFontSize / measured), 1.0, LargestFittedFontSize);
        if (fills(predicted) && (predicted == 1.0 || !fills(predicted - 1)))
            return predicted;
    }
    // Otherwise the first size that fills the zone is found by bisection
    // instead of one point at a time.
    if (fills(1.0))
        return 1.0;
    if (!fills(LargestFittedFontSize))
        return LargestFittedFontSize;
    double low = 1.0; // does not fill
    double high = LargestFittedFontSize; // fills
    while (high - low > 1.0) {
        const double middle = std::floor((low + high) / 2);
        (fills(middle) ? high : low) = middle;
    }
    return high;
}

BCCodeRenderer::ZoneTexts BCCodeRenderer::zoneTexts(const BCCode& code, const BCRenderOptions& options)
{
    // "<", ">" and check digits count for the size even when they are not shown,
    // so the size does not jump when those options change.
    BCRenderOptions widest = options;
    widest.insert(BCCodeDrawingFillEmptyQuietZones, true);
    widest.insert(BCCodeDrawingShowCheckDigits, true);
    return {code.leftQuietZoneDisplayText(options),  code.leftCaptionZoneDisplayText(options),
            code.rightCaptionZoneDisplayText(options), code.rightQuietZoneDisplayText(options),
            code.leftQuietZoneDisplayText(widest),  code.rightQuietZoneDisplayText(widest)};
}

double BCCodeRenderer::captionFontSizeWithOptions(const BCCode& code, const BCRenderOptions& options) const
{
    return captionFontSize(code, options, zoneTexts(code, options));
}

double BCCodeRenderer::captionFontSize(const BCCode& code, const BCRenderOptions& options, const ZoneTexts& texts) const
{
    const QString fontName = code.captionFontNameFromOptions(options);
    const double quietWidth = code.horizontalQuietZoneWidthWithOptions(options);
    const std::pair<const QString&, double> zones[] = {
        {texts.widestLeftQuiet, quietWidth},
        {texts.leftCaption, code.leftCaptionZoneWidthWithOptions(options)},
        {texts.rightCaption, code.rightCaptionZoneWidthWithOptions(options)},
        {texts.widestRightQuiet, quietWidth},
    };
    double size = DBL_MAX;
    bool counted = false;
    for (const auto& [text, width] : zones) {
        if (text.isEmpty())
            continue;
        size = std::min(size, optimalFontSizeToFitText(text, fontName, width));
        counted = true;
    }
    if (counted)
        return size;
    if (options.contains(BCCodeDrawingCaptionFontPointSize))
        return double(options.value(BCCodeDrawingCaptionFontPointSize).toFloat());
    return double(std::round(float(code.sizeWithRenderOptions(options).height()) / 5.0f));
}

struct BCCodeRenderer::Drawing {
    struct Fill {
        QRectF rect;
        QColor colour;
    };
    struct Caption {
        QString text;
        QRectF box;
    };

    double width = 0;
    double height = 0;
    std::optional<QColor> background;
    std::vector<QRectF> bars; // black
    std::vector<Fill> zones;  // debugging fills over the caption zones
    std::vector<Caption> captions;
    QString fontName;
    double fontSize = 0;
};

QPointF BCCodeRenderer::captionBaseline(const Drawing& drawing, const QString& text, const QRectF& box) const
{
    const BCCaptionLine line = m_typesetter.firstLine(text, drawing.fontName, drawing.fontSize, box.width());
    return QPointF(box.center().x() - line.width / 2, box.bottom() - line.descent);
}

BCCodeRenderer::Drawing BCCodeRenderer::layOut(const BCCode& code, const BCRenderOptions& options, QSizeF size) const
{
    Drawing drawing;
    const double s = BCCode::barScaleFromOptions(options);
    const double W = size.width();
    const double H = size.height();
    const double q = code.horizontalQuietZoneWidth();
    drawing.width = W;
    drawing.height = H;

    if (options.contains(BCCodeDrawingBackgroundColor))
        drawing.background = options.value(BCCodeDrawingBackgroundColor).value<QColor>();

    bool drawCaption = code.shouldDrawCaptionFromOptions(options);
    QRectF band(0, H, W, 0);
    ZoneTexts texts;
    if (drawCaption) {
        texts = zoneTexts(code, options);
        drawing.fontSize = captionFontSize(code, options, texts);
        drawing.fontName = code.captionFontNameFromOptions(options);
        const QString joined = orNullWord(texts.leftQuiet) + orNullWord(texts.leftCaption)
            + orNullWord(texts.rightCaption) + orNullWord(texts.rightQuiet);
        const double c = m_typesetter.firstLine(joined, drawing.fontName, drawing.fontSize, 0).height();
        band = QRectF(0, H - c - s, W, c + s);
        // Codes of a fixed height drawn at a large bar scale have no room for
        // the caption and its gap; the bars matter more than the caption.
        if (band.top() <= 0) {
            drawCaption = false;
            band = QRectF(0, H, W, 0);
        }
    }

    const double contentLength = H - band.height();
    const double markerLength = contentLength
        + (code.markerBarsCanOverlapBottomCaption() ? BCCode::markerBarCaptionOverlapFromOptions(options) * band.height() : 0.0);
    const bool reduceBleed = BCBoolOption(options, BCCodeDrawingReduceBleed, false);

    Regions regions;
    // Neighbouring bars of the same extent are drawn as one rectangle: far
    // fewer edges for the rasterizer at large bar scales, the same pixels.
    std::vector<QRectF>& rects = drawing.bars;
    const auto addBar = [&](QRectF rect) {
        if (!reduceBleed && !rects.empty() && rects.back().right() == rect.left() && rects.back().top() == rect.top()
            && rects.back().bottom() == rect.bottom()) {
            rects.back().setRight(rect.right());
            return;
        }
        if (reduceBleed)
            rect.adjust(BleedReduction, 0, -BleedReduction, 0);
        rects.push_back(rect);
    };
    size_t module = 0;
    bool sawContent = false;
    const BCCodeCharacters& characters = code.codeCharacters();
    for (size_t index = 0; index < characters.size(); ++index) {
        const BCCodeCharacter& character = *characters[index];
        const double length = character.isMarker() ? markerLength : contentLength;
        QRectF characterRect;
        const BCBarString& bars = code.characterBarStrings()[index];
        if (!bars.isEmpty()) {
            // The union of the character's bar rectangles, as united() would make it.
            const double left = (q + double(module)) * s;
            double right = left;
            double top = DBL_MAX;
            double bottom = -DBL_MAX;
            for (BCBarKind bar : bars.bars()) {
                const QRectF rect = calculateBarRect(bar, (q + double(module)) * s, s, length);
                top = std::min(top, rect.top());
                bottom = std::max(bottom, rect.bottom());
                right = rect.right();
                if (bar != BCBar::Space)
                    addBar(rect);
                ++module;
            }
            characterRect = QRectF(left, top, right - left, bottom - top);
        }
        if (!character.isMarker()) {
            regions.content = sawContent ? regions.content.united(characterRect) : rowOf(characterRect, 0, H);
            sawContent = true;
            continue;
        }
        if (sawContent && !regions.middle)
            regions.middle = characterRect;
        if (index == 0 && !sawContent)
            regions.leftQuiet = QRectF(0, 0, characterRect.left(), H);
        regions.rightQuiet = QRectF(characterRect.right(), 0, W - characterRect.right(), H);
    }
    if (!drawCaption)
        return drawing;

    const bool debug = BCBoolOption(options, BCCodeDrawingDebug, false);
    const QColor red(255, 0, 0, 153), green(0, 255, 0, 153), blue(0, 0, 255, 153);
    // Text boxes: the caption band without its one-module gap on top.
    const auto textBox = [&](const QRectF& rect) { return rowOf(rect, band.top() + s, band.height() - s); };
    if (regions.leftQuiet)
        regions.leftQuiet->setRight(regions.leftQuiet->right() - s);
    if (regions.rightQuiet)
        regions.rightQuiet->setLeft(regions.rightQuiet->left() + s);
    const std::optional<QRectF> leftQuiet = regions.leftQuiet ? std::optional(textBox(*regions.leftQuiet)) : std::nullopt;
    const std::optional<QRectF> rightQuiet = regions.rightQuiet ? std::optional(textBox(*regions.rightQuiet)) : std::nullopt;
    const auto fillDebug = [&](const std::optional<QRectF>& rect, const QColor& colour) {
        if (debug && rect)
            drawing.zones.push_back({*rect, colour});
    };
    const auto drawText = [&](const QString& text, const std::optional<QRectF>& rect) {
        if (rect && !text.isEmpty())
            drawing.captions.push_back({text, *rect});
    };

    if (regions.middle && regions.content.right() > regions.middle->left()) {
        const QRectF leftCaption = textBox(QRectF(QPointF(regions.content.left() + s, 0), QPointF(regions.middle->left(), H)));
        const QRectF rightCaption = textBox(QRectF(QPointF(regions.middle->right(), 0), QPointF(regions.content.right() - s, H)));
        fillDebug(leftCaption, red);
        fillDebug(rightCaption, green);
        fillDebug(leftQuiet, blue);
        fillDebug(rightQuiet, blue);
        drawText(texts.leftCaption, leftCaption);
        drawText(texts.rightCaption, rightCaption);
    } else {
        QRectF content = textBox(regions.content);
        if (!characters.empty() && code.characterBarStrings().front().endsWithBar(BCBar::Full))
            content.setLeft(content.left() + s);
        if (!characters.empty() && code.characterBarStrings().back().endsWithBar(BCBar::Full))
            content.setRight(content.right() - s);
        fillDebug(content, red);
        fillDebug(leftQuiet, blue);
        fillDebug(rightQuiet, blue);
        drawText(code.captionTextForZone(BCCaptionZone::BelowBars, options), content);
    }
    drawText(texts.leftQuiet, leftQuiet);
    drawText(texts.rightQuiet, rightQuiet);
    return drawing;
}

void BCCodeRenderer::paint(const Drawing& drawing, QPainter& painter) const
{
    if (drawing.background)
        painter.fillRect(QRectF(0, 0, drawing.width, drawing.height), *drawing.background);
    for (const QRectF& rect : drawing.bars)
        painter.fillRect(rect, Qt::black);
    for (const Drawing::Fill& zone : drawing.zones)
        painter.fillRect(zone.rect, zone.colour);
    for (const Drawing::Caption& caption : drawing.captions)
        m_typesetter.drawFirstLine(painter, caption.text, drawing.fontName, drawing.fontSize, caption.box.width(),
                                   captionBaseline(drawing, caption.text, caption.box));
}

void BCCodeRenderer::renderInContext(const BCCode& code, QPainter& painter, const BCRenderOptions& options) const
{
    painter.save();
    paint(layOut(code, options, code.sizeWithRenderOptions(options)), painter);
    painter.restore();
}

void BCCodeRenderer::rasterize(const Drawing& drawing, QImage& image) const
{
    const int width = image.width();
    const quint32 clear = drawing.background ? qPremultiply(drawing.background->rgba()) : 0;
    // The share of pixel `i` that the span from `from` to `to` covers.
    const auto coverage = [](double from, double to, int i) {
        return std::clamp(std::min(to, double(i + 1)) - std::max(from, double(i)), 0.0, 1.0);
    };
    // Rows crossed by the same bars to the same extent are alike: only rows
    // where a bar starts or ends are worked out, the others copy the row above.
    std::vector<int> changes{0};
    const QRectF* previous = nullptr;
    for (const QRectF& rect : drawing.bars) {
        if (previous && previous->top() == rect.top() && previous->bottom() == rect.bottom())
            continue;
        previous = &rect;
        for (const double edge : {rect.top(), rect.bottom()}) {
            // Bars share a few extents: each row is kept once.
            for (const int row : {int(std::floor(edge)), int(std::floor(edge)) + 1}) {
                if (std::find(changes.begin(), changes.end(), row) == changes.end())
                    changes.push_back(row);
            }
        }
    }
    std::sort(changes.begin(), changes.end());
    // Where each bar meets the pixels across is the same on every row: worked
    // out once. Only a bar's first and last pixel can be covered in part.
    struct Span {
        int first, inside, insideFrom, insideTo, rightFrom, last;
        double leftCover, rightCover;
    };
    std::vector<Span> spans;
    spans.reserve(drawing.bars.size());
    for (const QRectF& rect : drawing.bars) {
        Span span;
        span.first = std::max(0, floorToInt(rect.left()));
        span.last = std::min(width, ceilToInt(rect.right()));
        span.inside = std::min(span.last, ceilToInt(rect.left()));
        const int beyond = std::max(span.inside, floorToInt(rect.right()));
        span.insideFrom = std::max(span.inside, 0);
        span.insideTo = std::max(span.insideFrom, std::min(beyond, width));
        span.rightFrom = std::max(beyond, span.first);
        span.leftCover = coverage(rect.left(), rect.right(), span.first);
        span.rightCover = coverage(rect.left(), rect.right(), span.rightFrom);
        spans.push_back(span);
    }
    auto nextChange = changes.begin();
    std::vector<std::pair<size_t, double>> crossing, above;
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const bool large = image.sizeInBytes() > CoreCacheBytes;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<quint32*>(bits + y * stride);
        while (nextChange != changes.end() && *nextChange < y)
            ++nextChange;
        if (y > 0 && (nextChange == changes.end() || *nextChange != y)) {
            repeatRow(row, reinterpret_cast<const quint32*>(bits + (y - 1) * stride), width, large);
            continue;
        }
        crossing.clear();
        for (size_t bar = 0; bar < drawing.bars.size(); ++bar) {
            if (const double share = coverage(drawing.bars[bar].top(), drawing.bars[bar].bottom(), y); share > 0)
                crossing.emplace_back(bar, share);
        }
        if (y > 0 && crossing == above) {
            repeatRow(row, reinterpret_cast<const quint32*>(bits + (y - 1) * stride), width, large);
            continue;
        }
        fillPixels(row, width, clear);
        for (const auto& [bar, share] : crossing) {
            const Span& span = spans[bar];
            const auto blend = [&](int x, double covered) {
                if (covered >= 1.0)
                    row[x] = 0xff000000;
                else if (const auto alpha = quint32(covered * 255 + 0.5))
                    row[x] = BCBlackOver(row[x], alpha);
            };
            if (span.first < span.inside)
                blend(span.first, share * span.leftCover);
            if (share >= 1.0) {
                fillPixels(row + span.insideFrom, span.insideTo - span.insideFrom, 0xff000000u);
            } else {
                for (int x = span.insideFrom; x < span.insideTo; ++x)
                    blend(x, share);
            }
            if (span.rightFrom < span.last)
                blend(span.rightFrom, share * span.rightCover);
        }
        above.swap(crossing);
    }
    std::optional<QPainter> painter; // for captions this typesetter cannot write directly
    for (const Drawing::Caption& caption : drawing.captions) {
        const QPointF baseline = captionBaseline(drawing, caption.text, caption.box);
        if (m_typesetter.drawFirstLineInImage(image, caption.text, drawing.fontName, drawing.fontSize,
                                              caption.box.width(), baseline))
            continue;
        if (!painter) {
            painter.emplace(&image);
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setRenderHint(QPainter::TextAntialiasing);
        }
        m_typesetter.drawFirstLine(*painter, caption.text, drawing.fontName, drawing.fontSize, caption.box.width(),
                                   baseline);
    }
}

QImage BCCodeRenderer::imageWithBarCode(const BCCode* code, const BCRenderOptions& options) const
{
    if (!code)
        return {};
    const QSizeF size = code->sizeWithRenderOptions(options);
    const int width = int(size.width());
    const int height = int(size.height());
    if (width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) // too large to allocate
        return {};
    image.setDotsPerMeterX(DotsPerMeterAt72Dpi);
    image.setDotsPerMeterY(DotsPerMeterAt72Dpi);
    const Drawing drawing = layOut(*code, options, size);
    if (!drawing.zones.empty()) { // translucent zones over bars: the painter's job
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        paint(drawing, painter);
        return image;
    }
    rasterize(drawing, image);
    return image;
}

} // namespace ql
