// Drawing: bar positions and lengths, caption band and zones, the options
// that change them. Captions use fixed metrics here, so the numbers below
// follow from the layout rules alone.
#include "BarcodeTesting.h"
#include "FixedMetricsTypesetter.h"

#include "codes/barcodes/BCCaptionFace.h"
#include "codes/barcodes/BCEAN13Code.h"
#include "codes/barcodes/BCQtCaptionTypesetter.h"
#include "codes/barcodes/BCUPCECode.h"

#include <QTextLayout>

using namespace barcodetest;
using namespace ql;

namespace {

// A symbology of this test: guard, content, guard, with captions but no texts.
class FakeCode : public BCCode {
public:
    FakeCode(Key, QString content, double ratio) : BCCode(std::move(content)), m_ratio(ratio) {}
    static Result<std::unique_ptr<FakeCode>> create(const QString& content, double ratio)
    {
        return initWithContent<FakeCode>(content, ratio);
    }
    static Status canEncodeContent(const QString&) { return {}; }
    static QString barcodeDescription() { return QStringLiteral("Fake"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
    double aspectRatio() const override { return m_ratio; }
    double fixedHeight() const override { return 34; }
    bool hasCaptionTexts() const override { return true; }

protected:
    BCCodeCharacters makeCodeCharacters() const override
    {
        return {BCMakeCodeCharacter(u"101", true), BCMakeCodeCharacter(u"01110", false), BCMakeCodeCharacter(u"101", true)};
    }

private:
    double m_ratio;
};

const FixedMetricsTypesetter typesetter;

QImage draw(const BCCode& code, BCRenderOptions options, double scale = 20)
{
    options.insert(BCCodeDrawingBarScale, scale);
    return BCCodeRenderer(typesetter).imageWithBarCode(&code, options);
}

bool black(const QImage& image, int x, int y)
{
    return image.pixel(x, y) == qRgba(0, 0, 0, 255);
}

bool clear(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) == 0;
}

bool blue(const QImage& image, int x, int y)
{
    return image.pixel(x, y) == qRgba(0, 0, 255, 255);
}

// EAN-13 9780306406157 at bar scale 20 with these metrics: the caption size is
// 200 (a digit filling the 120-point quiet zone), so the band of 200 + 20
// starts at 1218. Module 0 (start guard) is at x 140, module 4 (a content
// bar) at x 220.
constexpr int GuardColumn = 150;
constexpr int ContentColumn = 230;
constexpr int BandTop = 1218;

} // namespace

TEST(BarcodeRenderer, GuardsReachIntoTheCaptionContentBarsStopAboveIt)
{
    const auto code = made<BCEAN13Code>("9780306406157");
    EXPECT_EQ(BCCodeRenderer(typesetter).captionFontSizeWithOptions(*code, atScale(20)), 200);
    const QImage image = draw(*code, {});
    ASSERT_EQ(image.size(), QSize(2180, 1438));
    EXPECT_TRUE(clear(image, 139, 10));
    EXPECT_TRUE(black(image, 140, 10));
    EXPECT_TRUE(black(image, GuardColumn, 1437));
    EXPECT_TRUE(black(image, ContentColumn, BandTop - 1));
    EXPECT_TRUE(clear(image, ContentColumn, BandTop + 5));
    // Captions sit at the bottom edge, centred in their zones: "9" fills the
    // quiet zone less one module, "780306" (720 wide) is centred in 220..1040.
    EXPECT_TRUE(blue(image, 60, 1300));
    EXPECT_TRUE(clear(image, 60, 1230));
    EXPECT_TRUE(blue(image, 275, 1300));
    EXPECT_TRUE(clear(image, 265, 1300));
    EXPECT_TRUE(blue(image, 1200, 1300));
    EXPECT_TRUE(clear(image, 1180, 1300));
    EXPECT_TRUE(clear(image, 2100, 1300)); // right quiet zone: nothing unless filled
    EXPECT_TRUE(blue(draw(*code, {{BCCodeDrawingFillEmptyQuietZones, true}}), 2100, 1300));
}

TEST(BarcodeRenderer, OptionsChangeBarLengthsWidthsAndBackground)
{
    const auto code = made<BCEAN13Code>("9780306406157");
    const QImage noCaption = draw(*code, {{BCCodeDrawingPrintCaption, false}});
    EXPECT_TRUE(black(noCaption, ContentColumn, 1437));
    EXPECT_TRUE(black(noCaption, GuardColumn, 1437));

    const QImage halfOverlap = draw(*code, {{BCCodeDrawingMarkerBarsOverlapCaptionPercent, 0.5}});
    EXPECT_TRUE(black(halfOverlap, GuardColumn, BandTop + 109));
    EXPECT_TRUE(clear(halfOverlap, GuardColumn, BandTop + 112));

    // At bar scale 1 the start guard's first bar covers 7.13 to 7.87.
    const QImage narrowed = draw(*code, {{BCCodeDrawingReduceBleed, true}}, 1);
    EXPECT_NEAR(qAlpha(narrowed.pixel(7, 5)), 0.74 * 255, 12);
    EXPECT_EQ(qAlpha(narrowed.pixel(8, 5)), 0);
    EXPECT_EQ(qAlpha(draw(*code, {}, 1).pixel(7, 5)), 255);

    const QImage onWhite = draw(*code, {{BCCodeDrawingBackgroundColor, QColor(Qt::white)}});
    EXPECT_EQ(onWhite.pixel(5, 5), qRgba(255, 255, 255, 255));

    const QImage debug = draw(*code, {{BCCodeDrawingDebug, true}});
    EXPECT_EQ(debug.pixelColor(240, 1300), QColor(255, 0, 0, 153)); // left caption zone
    EXPECT_EQ(debug.pixelColor(1150, 1300), QColor(0, 255, 0, 153)); // right caption zone
    EXPECT_EQ(debug.pixelColor(2100, 1300), QColor(0, 0, 255, 153)); // right quiet zone
}

TEST(BarcodeRenderer, CodeWithoutMiddleGuardCentresItsDigitsUnderTheBars)
{
    // UPC-E at 20: size 1300 x 1037, caption size 200, content bars at modules
    // 3..44 (x 200..1040), less one module each side next to the full bars of
    // the guards: the six digits (720 wide) are centred in 220..1020.
    const auto code = made<BCUPCECode>("01234565");
    const QImage image = draw(*code, {});
    ASSERT_EQ(image.size(), QSize(1300, 1037));
    EXPECT_TRUE(blue(image, 265, 1000));
    EXPECT_TRUE(clear(image, 255, 1000));
    EXPECT_TRUE(blue(image, 975, 1000));
    EXPECT_TRUE(blue(image, 60, 1000));   // number system in the left quiet zone
    EXPECT_TRUE(blue(image, 1240, 1000)); // check digit in the right quiet zone
    EXPECT_TRUE(black(image, 140, 1036)); // start guard reaches the bottom
}

TEST(BarcodeRenderer, CaptionSizeFallsBackWithoutTextsAndHeightCanBeFixed)
{
    const auto square = made<FakeCode>("x", 1.0);
    EXPECT_EQ(square->sizeWithRenderOptions(atScale(10)), QSizeF(110, 110));
    const BCCodeRenderer renderer(typesetter);
    EXPECT_EQ(renderer.captionFontSizeWithOptions(*square, atScale(10)), 22);
    EXPECT_EQ(renderer.captionFontSizeWithOptions(*square, {{BCCodeDrawingCaptionFontPointSize, 9}}), 9);
    const auto fixed = made<FakeCode>("x", 0.0);
    EXPECT_EQ(fixed->sizeWithRenderOptions(atScale(10)), QSizeF(110, 34));
    EXPECT_EQ(fixed->sizeWithRenderOptions(atScale(1)), QSizeF(11, 34));
    EXPECT_TRUE(renderer.imageWithBarCode(nullptr, {}).isNull());
    EXPECT_TRUE(renderer.imageWithBarCode(fixed.get(), atScale(0)).isNull());
}

TEST(BarcodeRenderer, InstalledFontsSetCaptionsAndUnknownNamesFallBack)
{
    const BCQtCaptionTypesetter qtTypesetter;
    EXPECT_EQ(qtTypesetter.resolvedFamily("NoSuchFontAnywhere"), "Helvetica");
    EXPECT_EQ(qtTypesetter.resolvedFamily("OCRB"), "Helvetica");
    EXPECT_EQ(qtTypesetter.resolvedFamily("Liberation Sans"), "Liberation Sans");
    const BCCaptionLine small = qtTypesetter.firstLine("406157", "Liberation Sans", 10, 0);
    const BCCaptionLine large = qtTypesetter.firstLine("406157", "Liberation Sans", 100, 0);
    EXPECT_EQ(small.length, 6);
    EXPECT_NEAR(large.width, 10 * small.width, 0.05 * large.width);
    EXPECT_NEAR(large.height(), 100 * 1.15, 15); // 72 dpi: a 100-point font is about 100 units tall
    EXPECT_LT(qtTypesetter.firstLine("406157", "Liberation Sans", 100, 200).length, 6);
    // The fitted size is the first whole size at which the text fills the zone.
    const BCCodeRenderer renderer(qtTypesetter);
    const double size = renderer.optimalFontSizeToFitText("780306", "Liberation Sans", 800);
    EXPECT_GE(qtTypesetter.firstLine("780306", "Liberation Sans", size, 0).width, 800);
    EXPECT_LT(qtTypesetter.firstLine("780306", "Liberation Sans", size - 1, 0).width, 800);
}

namespace {

// Widths that do not grow in proportion to the size (a fixed gap added), so
// that a size predicted from one measurement is wrong.
class OffsetTypesetter final : public BCCaptionTypesetter {
public:
    BCCaptionLine firstLine(const QString& text, const QString&, double fontSize, double) const override
    {
        if (text.isEmpty())
            return {};
        return {text.size(), fontSize < 50 ? 0.6 * fontSize * double(text.size()) + 30 : 0.6 * fontSize * double(text.size()),
                0.75 * fontSize, 0.25 * fontSize};
    }
    void drawFirstLine(QPainter&, const QString&, const QString&, double, double, QPointF) const override {}
};

} // namespace

TEST(BarcodeRenderer, FittedSizeIsTheFirstThatFillsEvenWhenWidthsAreNotProportional)
{
    const BCCodeRenderer fixed(typesetter);
    // 6 digits at 0.6 per point fill 720 at exactly 200 and 721 at 201.
    EXPECT_EQ(fixed.optimalFontSizeToFitText("780306", "Helvetica", 720), 200);
    EXPECT_EQ(fixed.optimalFontSizeToFitText("780306", "Helvetica", 720.5), 201);
    EXPECT_EQ(fixed.optimalFontSizeToFitText("780306", "Helvetica", 0), 1);
    EXPECT_EQ(fixed.optimalFontSizeToFitText("780306", "Helvetica", 1e9), 4096);
    const OffsetTypesetter offset;
    const BCCodeRenderer uneven(offset);
    // Below 50 points 6 digits are 3.6 * size + 30 wide: 120 is filled at 25.
    EXPECT_EQ(uneven.optimalFontSizeToFitText("780306", "Helvetica", 120), 25);
    EXPECT_EQ(uneven.optimalFontSizeToFitText("780306", "Helvetica", 360), 100);
}

TEST(BarcodeRenderer, CaptionsMeasuredFromKeptAdvancesMatchTheTextLayout)
{
    // Captions are measured without a text layout where the layout would add
    // up the advances anyway; every length and width must be the layout's,
    // also at small sizes, in kerning fonts and at limits around the width.
    const BCQtCaptionTypesetter qtTypesetter;
    QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
    device.setDotsPerMeterX(2835);
    device.setDotsPerMeterY(2835);
    const QString texts[] = {"9", "780306", "0123456789", "QL-2026-128", "QL 39-AB", "*AVA TO-7*", "<", ">"};
    for (const QString family : {"Helvetica", "Liberation Sans", "Liberation Serif"}) {
        for (const double size : {1.0, 2.0, 4.0, 7.0, 8.0, 9.0, 12.0, 23.0, 64.0, 200.0}) {
            QFont font(family);
            font.setPointSizeF(size);
            font.setHintingPreference(QFont::PreferNoHinting);
            font.setStyleStrategy(QFont::ForceOutline);
            for (const QString& text : texts) {
                const double whole = BCCaptionFace::layOutFirstLine(text, font, &device, 0)->lineAt(0).naturalTextWidth();
                for (const double limit : {0.0, whole, whole - 1.0 / 64, whole + 1.0 / 64, whole - 1, whole / 2}) {
                    const auto layout = BCCaptionFace::layOutFirstLine(text, font, &device, limit);
                    const QTextLine line = layout->lineAt(0);
                    const BCCaptionLine ours = qtTypesetter.firstLine(text, family, size, limit);
                    const std::string where = family.toStdString() + " " + std::to_string(size) + " '" + text.toStdString()
                        + "' limit " + std::to_string(limit);
                    EXPECT_EQ(ours.length, line.textLength()) << where;
                    EXPECT_EQ(ours.width, line.naturalTextWidth()) << where;
                    EXPECT_EQ(ours.height(), line.ascent() + line.descent()) << where;
                }
            }
        }
    }
}

TEST(BarcodeRenderer, ImagesWrittenDirectlyMatchWhatThePainterDraws)
{
    // imageWithBarCode writes bars into the rows itself; a painter drawing the
    // same code must give the same pixels, whole and partly covered alike.
    const auto ean13 = made<BCEAN13Code>("9780306406157");
    const auto upce = made<BCUPCECode>("01234565");
    const BCRenderOptions variants[] = {
        {},
        {{BCCodeDrawingReduceBleed, true}},
        {{BCCodeDrawingBackgroundColor, QColor(250, 240, 200)}, {BCCodeDrawingMarkerBarsOverlapCaptionPercent, 0.37}},
        {{BCCodeDrawingPrintCaption, false}, {BCCodeDrawingBackgroundColor, QColor(0, 128, 255, 100)}},
    };
    const BCCodeRenderer renderer(typesetter);
    for (const BCCode* code : {static_cast<const BCCode*>(ean13.get()), static_cast<const BCCode*>(upce.get())}) {
        // At 12 the image outgrows a core's cache and its rows are copied otherwise.
        for (const double scale : {1.0, 1.7, 2.0, 3.3, 12.0}) {
            for (const BCRenderOptions& variant : variants) {
                BCRenderOptions options = variant;
                options.insert(BCCodeDrawingBarScale, scale);
                const QImage written = renderer.imageWithBarCode(code, options);
                QImage painted(written.size(), QImage::Format_ARGB32_Premultiplied);
                painted.fill(Qt::transparent);
                QPainter painter(&painted);
                painter.setRenderHint(QPainter::Antialiasing);
                renderer.renderInContext(*code, painter, options);
                painter.end();
                int worst = 0;
                for (int y = 0; y < written.height(); ++y) {
                    for (int x = 0; x < written.width(); ++x) {
                        const QRgb a = written.pixel(x, y), b = painted.pixel(x, y);
                        worst = std::max({worst, std::abs(qAlpha(a) - qAlpha(b)), std::abs(qRed(a) - qRed(b)),
                                          std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
                    }
                }
                EXPECT_LE(worst, 2) << code->descriptionOfSymbology().toStdString() << " at " << scale << " with "
                                    << variant.keys().join(u',').toStdString();
            }
        }
    }
}

TEST(BarcodeRenderer, CaptionsFromKeptGlyphsDoNotDependOnWhatWasDrawnBefore)
{
    // One typesetter draws codes at many sizes and fonts in turn, letting
    // glyph rasters go and making them again; each image must equal the one
    // a fresh typesetter draws.
    const auto ean13 = made<BCEAN13Code>("9780306406157");
    const auto upce = made<BCUPCECode>("01234565");
    const BCQtCaptionTypesetter kept;
    const BCCodeRenderer keeping(kept);
    for (int pass = 0; pass < 2; ++pass) {
        for (const double scale : {1.0, 2.5, 3.0, 7.0, 1.3, 12.0}) {
            for (const char* font : {"Helvetica", "Liberation Sans"}) {
                for (const BCCode* code : {static_cast<const BCCode*>(ean13.get()), static_cast<const BCCode*>(upce.get())}) {
                    const BCRenderOptions options{{BCCodeDrawingBarScale, scale}, {BCCodeDrawingCaptionFontName, font}};
                    const BCQtCaptionTypesetter fresh;
                    EXPECT_EQ(keeping.imageWithBarCode(code, options), BCCodeRenderer(fresh).imageWithBarCode(code, options))
                        << code->descriptionOfSymbology().toStdString() << " at " << scale << " in " << font;
                }
            }
        }
    }
}
