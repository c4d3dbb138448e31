#include "platform/graphics/FontResolver.h"

#include <QFontInfo>
#include <QTextLayout>
#include <gtest/gtest.h>
#include <limits>

using namespace ql;

TEST(FontResolverTest, ReadsFamilyWeightSlantAndWidthFromPostScriptNames)
{
    const FontDescription neueBold = FontResolver::describe(QStringLiteral("HelveticaNeue-Bold"));
    EXPECT_EQ(neueBold.families, (QStringList {QStringLiteral("Helvetica Neue"), QStringLiteral("HelveticaNeue")}));
    EXPECT_EQ(neueBold.weight, QFont::Bold);
    EXPECT_FALSE(neueBold.italic);

    const FontDescription neueItalic = FontResolver::describe(QStringLiteral("HelveticaNeue-Italic"));
    EXPECT_EQ(neueItalic.weight, QFont::Normal);
    EXPECT_TRUE(neueItalic.italic);

    const FontDescription boldOblique = FontResolver::describe(QStringLiteral("Helvetica-BoldOblique"));
    EXPECT_EQ(boldOblique.families, QStringList {QStringLiteral("Helvetica")});
    EXPECT_EQ(boldOblique.weight, QFont::Bold);
    EXPECT_TRUE(boldOblique.italic);

    const FontDescription times = FontResolver::describe(QStringLiteral("TimesNewRomanPS-ItalicMT"));
    EXPECT_EQ(times.families.value(0), QStringLiteral("Times New Roman"));
    EXPECT_TRUE(times.italic);
    EXPECT_EQ(FontResolver::describe(QStringLiteral("ArialMT")).families.value(0), QStringLiteral("Arial"));
    EXPECT_EQ(FontResolver::describe(QStringLiteral("HelveticaNeue-UltraLight")).weight, QFont::ExtraLight);
    EXPECT_EQ(FontResolver::describe(QStringLiteral("HelveticaNeue-CondensedBold")).stretch, QFont::Condensed);
    EXPECT_EQ(FontResolver::describe(QStringLiteral("HelveticaNeue-SemiBold")).weight, QFont::DemiBold);
    // A suffix that is no style belongs to the family; family names pass through.
    EXPECT_EQ(FontResolver::describe(QStringLiteral("Gill-Xyz")).families.value(0), QStringLiteral("Gill-Xyz"));
    EXPECT_EQ(FontResolver::describe(QStringLiteral("Helvetica Neue")).families, QStringList {QStringLiteral("Helvetica Neue")});
    EXPECT_TRUE(FontResolver::describe(QString()).families.isEmpty());
}

TEST(FontResolverTest, HelveticaNamesResolveToTheMetricCompatibleFace)
{
    const QString helvetica = FontResolver::resolvedFamily(QStringLiteral("Helvetica"));
    EXPECT_TRUE(helvetica.startsWith(QStringLiteral("Nimbus Sans"))) << helvetica.toStdString();
    // fontconfig alone would give its last-resort face for these.
    EXPECT_EQ(FontResolver::resolvedFamily(QStringLiteral("Helvetica Neue")), helvetica);
    EXPECT_EQ(FontResolver::resolvedFamily(QStringLiteral("HelveticaNeue-Bold")), helvetica);
    EXPECT_EQ(FontResolver::resolvedFamily(QStringLiteral("HelveticaNeue-Italic")), helvetica);
    // Unknown names also get the default face rather than an arbitrary one.
    EXPECT_EQ(FontResolver::resolvedFamily(QStringLiteral("NoSuchFace-Bold")), helvetica);
    EXPECT_TRUE(FontResolver::resolvedFamily(QStringLiteral("Arial")).startsWith(QStringLiteral("Liberation Sans")));
    EXPECT_TRUE(FontResolver::resolvedFamily(QStringLiteral("TimesNewRomanPSMT")).startsWith(QStringLiteral("Liberation Serif")));

    const QFontInfo bold(FontResolver::resolve(QStringLiteral("HelveticaNeue-Bold"), 12));
    EXPECT_TRUE(bold.family().startsWith(QStringLiteral("Nimbus Sans")));
    EXPECT_GE(bold.weight(), int(QFont::Bold));
    EXPECT_TRUE(QFontInfo(FontResolver::resolve(QStringLiteral("HelveticaNeue-Italic"), 12)).italic());
}

TEST(FontResolverTest, MeasuresAtSeventyTwoDotsPerInch)
{
    const Font twelve(QStringLiteral("Helvetica"), 12);
    const QRawFont raw = FontResolver::rawFont(twelve);
    ASSERT_TRUE(raw.isValid());
    EXPECT_DOUBLE_EQ(raw.pixelSize(), 12.0);
    // The em is 12 units: the capital height of a sans face is about 0.72 em.
    const QRectF h = raw.pathForGlyph(raw.glyphIndexesForString(QStringLiteral("H")).value(0)).boundingRect();
    EXPECT_NEAR(h.height(), 12 * 0.72, 0.5);

    const QFontMetricsF metrics = FontResolver::metrics(twelve);
    EXPECT_NEAR(metrics.ascent() + metrics.descent(), raw.ascent() + raw.descent(), 0.5);
    EXPECT_NEAR(FontResolver::metrics(Font(QStringLiteral("Helvetica"), 24)).horizontalAdvance(QStringLiteral("MMMM")),
                2 * metrics.horizontalAdvance(QStringLiteral("MMMM")), 0.1);

    QTextLayout layout(QStringLiteral("MMMM"), FontResolver::resolve(twelve), FontResolver::layoutDevice());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    EXPECT_NEAR(line.naturalTextWidth(), metrics.horizontalAdvance(QStringLiteral("MMMM")), 0.1);

    // Sizes that are no size fall back to 12 points.
    EXPECT_DOUBLE_EQ(FontResolver::resolve(Font(QStringLiteral("Helvetica"), std::numeric_limits<double>::quiet_NaN())).pointSizeF(), 12.0);
    EXPECT_DOUBLE_EQ(FontResolver::resolve(Font(QStringLiteral("Helvetica"), -4)).pointSizeF(), 12.0);
    EXPECT_DOUBLE_EQ(FontResolver::resolve(Font()).pointSizeF(), 12.0);
}
