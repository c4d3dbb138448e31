#include "platform/graphics/FontResolver.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QRawFont>
#include <gtest/gtest.h>

using namespace ql;

TEST(FontFaces, DocumentNamesResolveToInstalledFaces)
{
    EXPECT_EQ(FontResolver::face(QStringLiteral("Helvetica")).postScriptName, QStringLiteral("NimbusSans-Regular"));
    EXPECT_EQ(FontResolver::face(QStringLiteral("HelveticaNeue")).postScriptName, QStringLiteral("NimbusSans-Regular"));
    EXPECT_EQ(FontResolver::face(QStringLiteral("Helvetica Neue")).familyName, QStringLiteral("Nimbus Sans"));
    EXPECT_EQ(FontResolver::face(QStringLiteral("Helvetica-BoldOblique")).postScriptName, QStringLiteral("NimbusSans-BoldItalic"));
    EXPECT_EQ(FontResolver::face(QStringLiteral("HelveticaNeue-Bold")).postScriptName, QStringLiteral("NimbusSans-Bold"));
    EXPECT_EQ(FontResolver::face(QStringLiteral("HelveticaNeue-CondensedBold")).postScriptName,
              QStringLiteral("NimbusSansNarrow-Bold"));
    EXPECT_EQ(FontResolver::face(QStringLiteral("ArialMT")).familyName, QStringLiteral("Liberation Sans"));
    EXPECT_EQ(FontResolver::face(QStringLiteral("TimesNewRomanPS-ItalicMT")).postScriptName,
              QStringLiteral("LiberationSerif-Italic"));
    // An exact PostScript name wins over any parsing.
    EXPECT_EQ(FontResolver::face(QStringLiteral("NimbusSansNarrow-Oblique")).styleName, QStringLiteral("Oblique"));
    // Unknown names fall back to the default family in the asked style, and
    // name no family of their own.
    EXPECT_EQ(FontResolver::face(QStringLiteral("NoSuchFont-Bold")).postScriptName, QStringLiteral("NimbusSans-Bold"));
    EXPECT_TRUE(FontResolver::familyOf(QStringLiteral("NoSuchFont-Bold")).isEmpty());
    EXPECT_TRUE(FontResolver::members(QStringLiteral("No Such Family")).isEmpty());
}

TEST(FontFaces, AnAliasBudgetBoundsFontconfigLookUpsAndItsAnswersHoldUntilTheNextBudgetAsks)
{
    {
        const FontResolver::AliasBudget budget(1);
        // The first unknown name spends the one look-up: the next one's
        // alias is out of reach, an installed family is not.
        EXPECT_TRUE(FontResolver::familyOf(QStringLiteral("Unheard Of Face")).isEmpty());
        EXPECT_TRUE(FontResolver::familyOf(QStringLiteral("Palatino")).isEmpty());
        EXPECT_EQ(FontResolver::face(QStringLiteral("Palatino-Bold")).postScriptName, QStringLiteral("NimbusSans-Bold"));
        EXPECT_EQ(FontResolver::familyOf(QStringLiteral("Nimbus Sans")), QStringLiteral("Nimbus Sans"));
    }
    // Layout, output and the inspectors, under no budget, see the text as
    // it was read, without asking fontconfig again...
    EXPECT_TRUE(FontResolver::familyOf(QStringLiteral("Palatino")).isEmpty());
    EXPECT_EQ(FontResolver::resolve(QStringLiteral("Palatino-Bold"), 12).family(),
              FontResolver::resolve(QStringLiteral("Helvetica-Bold"), 12).family());
    {
        // ...until the next text read asks again.
        const FontResolver::AliasBudget next;
        EXPECT_EQ(FontResolver::familyOf(QStringLiteral("Palatino")), QStringLiteral("P052"));
        EXPECT_EQ(FontResolver::face(QStringLiteral("Palatino-Bold")).familyName, QStringLiteral("P052"));
    }
    EXPECT_EQ(FontResolver::face(QStringLiteral("Palatino-Bold")).familyName, QStringLiteral("P052"));
}

TEST(FontFaces, FamiliesListTheirFacesOncePerNameByWeightAndSlant)
{
    EXPECT_EQ(FontResolver::memberPostScriptNames(QStringLiteral("Helvetica")),
              (QStringList {QStringLiteral("NimbusSans-Regular"), QStringLiteral("NimbusSans-Italic"),
                            QStringLiteral("NimbusSans-Bold"), QStringLiteral("NimbusSans-BoldItalic")}));
    EXPECT_EQ(FontResolver::memberStyleNames(QStringLiteral("Nimbus Sans")),
              (QStringList {QStringLiteral("Regular"), QStringLiteral("Italic"), QStringLiteral("Bold"),
                            QStringLiteral("Bold Italic")}));
    EXPECT_EQ(FontResolver::indexInFamily(QStringLiteral("Helvetica-Bold")), 2);
    EXPECT_EQ(FontResolver::indexInFamily(QStringLiteral("NoSuchFont")), FontResolver::notFound);

    const Font narrow(QStringLiteral("NimbusSansNarrow-Oblique"), 10);
    const Font bold = FontResolver::convertFont(narrow, BoldTrait, 0);
    EXPECT_EQ(bold.postScriptName(), QStringLiteral("NimbusSansNarrow-BoldOblique"));
    EXPECT_EQ(FontResolver::traits(bold), BoldTrait | ItalicTrait);
    EXPECT_EQ(FontResolver::convertFont(bold, 0, BoldTrait), narrow);
    EXPECT_EQ(FontResolver::fontWithFamily(QStringLiteral("Nimbus Sans"), ItalicTrait, 9),
              Font(QStringLiteral("NimbusSans-Italic"), 9));
}

TEST(FontFaces, FontsAreMeasuredAtSeventyTwoDpiWithFractionalSizes)
{
    const QFont twelve = FontResolver::resolve(Font(QStringLiteral("Helvetica"), 12));
    const QFontMetricsF metrics(twelve, FontResolver::layoutDevice());
    // Twelve points are twelve units: "M" is as wide as the face says for
    // 12 units, where 96 dpi would make it 16.
    const double em = QRawFont::fromFont(QFont(twelve, FontResolver::layoutDevice())).pixelSize();
    EXPECT_DOUBLE_EQ(em, 12.0);
    EXPECT_NEAR(metrics.horizontalAdvance(QStringLiteral("M")), 12 * 0.833, 0.05);
    const LineMetrics line = FontResolver::lineMetrics(twelve);
    EXPECT_NEAR(line.height(), 12 * 1.2, 0.01);
    EXPECT_NEAR(line.ascent, 12 * 0.729, 0.01);

    const QFont fractional = FontResolver::resolve(Font(QStringLiteral("Helvetica"), 10.25));
    EXPECT_DOUBLE_EQ(fractional.pointSizeF(), 10.25);
    // The face comes from its OpenType file, whose tables layout and PDF use.
    const QRawFont raw = QRawFont::fromFont(QFont(FontResolver::resolve(Font(QStringLiteral("Helvetica-Oblique"), 12)),
                                                  FontResolver::layoutDevice()));
    EXPECT_FALSE(raw.fontTable("head").isEmpty());
    EXPECT_EQ(raw.styleName(), QStringLiteral("Italic"));
    // Sizes no layout can use are replaced; the font keeps its own.
    for (double bad : {0.0, -4.0, 1e9, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_DOUBLE_EQ(FontResolver::resolve(Font(QStringLiteral("Helvetica"), bad)).pointSizeF(), 12.0);
}
