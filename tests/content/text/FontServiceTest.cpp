#include "content/text/FontService.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QRawFont>
#include <gtest/gtest.h>

using namespace ql::text;

TEST(FontService, DocumentNamesResolveToInstalledFaces)
{
    const FontService& fonts = FontService::shared();
    EXPECT_EQ(fonts.face(QStringLiteral("Helvetica")).postScriptName, QStringLiteral("NimbusSans-Regular"));
    EXPECT_EQ(fonts.face(QStringLiteral("HelveticaNeue")).postScriptName, QStringLiteral("NimbusSans-Regular"));
    EXPECT_EQ(fonts.face(QStringLiteral("Helvetica Neue")).familyName, QStringLiteral("Nimbus Sans"));
    EXPECT_EQ(fonts.face(QStringLiteral("Helvetica-BoldOblique")).postScriptName, QStringLiteral("NimbusSans-BoldItalic"));
    EXPECT_EQ(fonts.face(QStringLiteral("HelveticaNeue-Bold")).postScriptName, QStringLiteral("NimbusSans-Bold"));
    EXPECT_EQ(fonts.face(QStringLiteral("HelveticaNeue-CondensedBold")).postScriptName,
              QStringLiteral("NimbusSansNarrow-Bold"));
    EXPECT_EQ(fonts.face(QStringLiteral("ArialMT")).familyName, QStringLiteral("Liberation Sans"));
    EXPECT_EQ(fonts.face(QStringLiteral("TimesNewRomanPS-ItalicMT")).postScriptName,
              QStringLiteral("LiberationSerif-Italic"));
    // An exact PostScript name wins over any parsing.
    EXPECT_EQ(fonts.face(QStringLiteral("NimbusSansNarrow-Oblique")).styleName, QStringLiteral("Oblique"));
    // Unknown names fall back to the default family in the asked style, and
    // name no family of their own.
    EXPECT_EQ(fonts.face(QStringLiteral("NoSuchFont-Bold")).postScriptName, QStringLiteral("NimbusSans-Bold"));
    EXPECT_TRUE(fonts.familyName(QStringLiteral("NoSuchFont-Bold")).isEmpty());
    EXPECT_TRUE(fonts.members(QStringLiteral("No Such Family")).isEmpty());
}

TEST(FontService, FamiliesListTheirFacesOncePerNameByWeightAndSlant)
{
    const FontService& fonts = FontService::shared();
    EXPECT_EQ(fonts.memberPostScriptNames(QStringLiteral("Helvetica")),
              (QStringList {QStringLiteral("NimbusSans-Regular"), QStringLiteral("NimbusSans-Italic"),
                            QStringLiteral("NimbusSans-Bold"), QStringLiteral("NimbusSans-BoldItalic")}));
    EXPECT_EQ(fonts.memberStyleNames(QStringLiteral("Nimbus Sans")),
              (QStringList {QStringLiteral("Regular"), QStringLiteral("Italic"), QStringLiteral("Bold"),
                            QStringLiteral("Bold Italic")}));
    EXPECT_EQ(fonts.indexInFamily(QStringLiteral("Helvetica-Bold")), 2);
    EXPECT_EQ(fonts.indexInFamily(QStringLiteral("NoSuchFont")), FontService::notFound);

    const ql::Font narrow(QStringLiteral("NimbusSansNarrow-Oblique"), 10);
    const ql::Font bold = fonts.convertFont(narrow, BoldTrait, 0);
    EXPECT_EQ(bold.postScriptName(), QStringLiteral("NimbusSansNarrow-BoldOblique"));
    EXPECT_EQ(fonts.traits(bold), BoldTrait | ItalicTrait);
    EXPECT_EQ(fonts.convertFont(bold, 0, BoldTrait), narrow);
    EXPECT_EQ(fonts.fontWithFamily(QStringLiteral("Nimbus Sans"), ItalicTrait, 9),
              ql::Font(QStringLiteral("NimbusSans-Italic"), 9));
}

TEST(FontService, FontsAreMeasuredAtSeventyTwoDpiWithFractionalSizes)
{
    const FontService& fonts = FontService::shared();
    const QFont twelve = fonts.qfont(ql::Font(QStringLiteral("Helvetica"), 12));
    const QFontMetricsF metrics(twelve, FontService::layoutDevice());
    // Twelve points are twelve units: "M" is as wide as the face says for
    // 12 units, where 96 dpi would make it 16.
    const double em = QRawFont::fromFont(QFont(twelve, FontService::layoutDevice())).pixelSize();
    EXPECT_DOUBLE_EQ(em, 12.0);
    EXPECT_NEAR(metrics.horizontalAdvance(QStringLiteral("M")), 12 * 0.833, 0.05);
    const LineMetrics line = fonts.lineMetrics(twelve);
    EXPECT_NEAR(line.height(), 12 * 1.2, 0.01);
    EXPECT_NEAR(line.ascent, 12 * 0.729, 0.01);

    const QFont fractional = fonts.qfont(ql::Font(QStringLiteral("Helvetica"), 10.25));
    EXPECT_DOUBLE_EQ(fractional.pointSizeF(), 10.25);
    // The face comes from its OpenType file, whose tables layout and PDF use.
    const QRawFont raw = QRawFont::fromFont(QFont(fonts.qfont(ql::Font(QStringLiteral("Helvetica-Oblique"), 12)),
                                                  FontService::layoutDevice()));
    EXPECT_FALSE(raw.fontTable("head").isEmpty());
    EXPECT_EQ(raw.styleName(), QStringLiteral("Italic"));
    // Sizes no layout can use are replaced; the font keeps its own.
    for (double bad : {0.0, -4.0, 1e9, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_DOUBLE_EQ(fonts.qfont(ql::Font(QStringLiteral("Helvetica"), bad)).pointSizeF(), 12.0);
}
