#include "design/NumberFormatter.h"
#include "design/ZVDesignHelper.h"
#include "platform/runtime/UserDefaults.h"
#include "util/ValueTransformer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using ql::ZVDesignHelper;

namespace {

class Units : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ql::UserDefaults defaults {dir.filePath(QStringLiteral("defaults.store"))};
    ql::ValueTransformerRegistry registry;
    ZVDesignHelper helper {defaults, registry, QStringLiteral("org.example.test")};

    void useUnits(int units)
    {
        defaults.setInteger(QStringLiteral("unitsType"), units);
        helper.registerValueTransformers();
    }
    const ql::ValueTransformer& named(const char* name) { return *registry.transformer(QLatin1String(name)); }
    QVariant forward(const char* name, const QVariant& value) { return named(name).transformedValue(value); }
    QVariant reverse(const char* name, const QVariant& value) { return named(name).reverseTransformedValue(value); }
};

} // namespace

TEST(NumberFormatter, RoundsTiesToEvenOnTheShortestDecimalForm)
{
    ql::NumberFormatter f;
    f.setMinimumFractionDigits(2);
    f.setMaximumFractionDigits(2);
    EXPECT_EQ(f.stringFromNumber(2.0), QStringLiteral("2.00"));
    EXPECT_EQ(f.stringFromNumber(2.125), QStringLiteral("2.12"));
    EXPECT_EQ(f.stringFromNumber(2.135), QStringLiteral("2.14"));
    EXPECT_EQ(f.stringFromNumber(2.1251), QStringLiteral("2.13"));
    EXPECT_EQ(f.stringFromNumber(9.995), QStringLiteral("10.00"));
    EXPECT_EQ(f.stringFromNumber(0.5), QStringLiteral("0.50"));
    EXPECT_EQ(f.stringFromNumber(-0.001), QStringLiteral("0.00"));
    EXPECT_EQ(f.stringFromNumber(-1.5), QStringLiteral("-1.50"));
    f.setMinimumFractionDigits(0);
    f.setMaximumFractionDigits(0);
    EXPECT_EQ(f.stringFromNumber(0.5), QStringLiteral("0"));
    EXPECT_EQ(f.stringFromNumber(1.5), QStringLiteral("2"));
    EXPECT_EQ(f.stringFromNumber(144.0), QStringLiteral("144"));
    EXPECT_EQ(f.stringFromNumber(1e20), QStringLiteral("100000000000000000000"));
}

TEST_F(Units, InchesPointsAndTheSharedFormatter)
{
    useUnits(0);
    EXPECT_EQ(helper.scalar(), 72.0);
    EXPECT_EQ(forward("ZVUnitsTransformer", 144.0).toString(), QStringLiteral("2.00 in"));
    const QVariant back = reverse("ZVUnitsTransformer", QStringLiteral("2.00 in"));
    EXPECT_EQ(back.typeId(), QMetaType::QString);
    EXPECT_EQ(back.toString(), QStringLiteral("144.00"));
    EXPECT_EQ(forward("ZVPointsTransformer", 12).toString(), QStringLiteral("12.00 pt"));
    EXPECT_EQ(forward("ZVDegreesTransformer2", 45).toString(), QStringLiteral("45.00°"));
    EXPECT_EQ(forward("ZVNumberTransformer", 3.14159).toString(), QStringLiteral("3.14"));

    useUnits(2);
    EXPECT_EQ(forward("ZVUnitsTransformer", 144.0).toString(), QStringLiteral("144 px"));
    EXPECT_EQ(forward("ZVPointsTransformer", 12).toString(), QStringLiteral("12 pt"));
    EXPECT_EQ(reverse("ZVPointsTransformer", QStringLiteral("18 pt")).toDouble(), 18.0);
    EXPECT_EQ(forward("ZVDegreesTransformer2", QVariant()).toString(), QStringLiteral("0°"));

    useUnits(7);
    EXPECT_EQ(helper.unitName(), QStringLiteral("px"));
    EXPECT_EQ(helper.scalar(), 1.0);
}

TEST_F(Units, PercentageUsesWholePercentsWithPrintfRounding)
{
    useUnits(0);
    EXPECT_EQ(forward("ZVPercentageTransformer", 0.5).toString(), QStringLiteral("50%"));
    EXPECT_EQ(forward("ZVPercentageTransformer", 0.125).toString(), QStringLiteral("12%"));
    EXPECT_EQ(forward("ZVPercentageTransformer", 0.135).toString(), QStringLiteral("14%"));
    EXPECT_DOUBLE_EQ(reverse("ZVPercentageTransformer", QStringLiteral("50%")).toDouble(), 0.5);
    EXPECT_EQ(reverse("ZVPercentageTransformer", QStringLiteral("abc")).toDouble(), 0.0);
}

TEST_F(Units, FrameFieldsShowTheContentAndEditOneField)
{
    useUnits(2);
    const QRectF frame(100, 50, 280, 180);
    EXPECT_EQ(forward("ZVFramePositionXUnitsTransformer", frame).toString(), QStringLiteral("140 px"));
    EXPECT_EQ(forward("ZVFramePositionYUnitsTransformer", frame).toString(), QStringLiteral("90 px"));
    EXPECT_EQ(forward("ZVFrameSizeWidthUnitsTransformer", frame).toString(), QStringLiteral("200 px"));
    EXPECT_EQ(forward("ZVFrameSizeHeightUnitsTransformer", frame).toString(), QStringLiteral("100 px"));
    EXPECT_EQ(reverse("ZVFramePositionXUnitsTransformer", QStringLiteral("60")).toRectF(), QRectF(20, 50, 280, 180));
    EXPECT_EQ(reverse("ZVFramePositionYUnitsTransformer", QStringLiteral("0")).toRectF(), QRectF(100, -40, 280, 180));
    EXPECT_EQ(forward("ZVDegreesTransformer", 30).toString(), QStringLiteral("30°"));

    // Width with the aspect ratio kept doubles the content's height too.
    forward("ZVFrameSizeWidthUnitsTransformer", QRectF(0, 0, 280, 180));
    const QRectF wider = reverse("ZVFrameSizeWidthUnitsTransformer", QStringLiteral("400 px")).toRectF();
    EXPECT_DOUBLE_EQ(wider.width(), 480);
    EXPECT_DOUBLE_EQ(wider.height(), 280);
    helper.setKeepAspectRatio(false);
    EXPECT_EQ(reverse("ZVFrameSizeHeightUnitsTransformer", 20).toRectF(), QRectF(0, 0, 280, 100));
    EXPECT_EQ(reverse("ZVFrameSizeWidthUnitsTransformer", QString()).toRectF(), QRectF(0, 0, 80, 180));

    // No element shown: empty fields, and the size rules do not divide by zero.
    EXPECT_EQ(forward("ZVFramePositionXUnitsTransformer", QVariant()).toString(), QString());
    EXPECT_EQ(forward("ZVDegreesTransformer", 30).toString(), QString());
    helper.setKeepAspectRatio(true);
    const QRectF fromEmpty = reverse("ZVFrameSizeWidthUnitsTransformer", 10).toRectF();
    EXPECT_EQ(fromEmpty, QRectF(0, 0, 90, 0));
}

// A typed size with the proportion kept scales the other side of the
// content, not of the frame with its margins, as the corner handles do.
TEST_F(Units, AKeptProportionIsTheContents)
{
    useUnits(2);
    const QRectF photo(10, 20, 380, 280);  // content 300 × 200
    const auto typed = [&](const char* field, const char* text) {
        forward(field, photo);
        return reverse(field, QString::fromLatin1(text)).toRectF();
    };
    EXPECT_EQ(typed("ZVFrameSizeWidthUnitsTransformer", "105"), QRectF(10, 20, 185, 150)) << "105 × 70";
    EXPECT_EQ(typed("ZVFrameSizeHeightUnitsTransformer", "50"), QRectF(10, 20, 155, 130)) << "75 × 50";
    useUnits(0);
    EXPECT_EQ(typed("ZVFrameSizeWidthUnitsTransformer", "2.5 in"), QRectF(10, 20, 260, 200)) << "180 × 120";

    helper.setKeepAspectRatio(false);
    EXPECT_EQ(typed("ZVFrameSizeWidthUnitsTransformer", "2.5 in"), QRectF(10, 20, 260, 280));
    useUnits(2);
    EXPECT_EQ(typed("ZVFrameSizeHeightUnitsTransformer", "50"), QRectF(10, 20, 380, 130));
}

TEST_F(Units, ShadowOffsetShowsTheHeightUndivided)
{
    useUnits(0);
    EXPECT_EQ(forward("ZVShadowOffsetTransformer", QSizeF(5, 5)).toString(), QStringLiteral("5.00 in"));
    EXPECT_EQ(helper.lastSize(), QSizeF(5, 5));
    EXPECT_EQ(reverse("ZVShadowOffsetTransformer", QStringLiteral("3")).toSizeF(), QSizeF(3, 3));
    EXPECT_EQ(forward("ZVShadowOffsetTransformer", QVariant()).toString(), QStringLiteral("0.00 in"));
}

TEST_F(Units, ASecondRegistrationKeepsTheTransformersAndFollowsTheNewUnit)
{
    useUnits(0);
    const ql::ValueTransformer* first = registry.transformer(QStringLiteral("ZVFramePositionXUnitsTransformer"));
    const QRectF frame(100, 50, 280, 180);
    EXPECT_EQ(forward("ZVFramePositionXUnitsTransformer", frame).toString(), QStringLiteral("1.94 in"));
    useUnits(1);
    EXPECT_EQ(registry.transformer(QStringLiteral("ZVFramePositionXUnitsTransformer")), first);
    EXPECT_EQ(forward("ZVFramePositionXUnitsTransformer", frame).toString(), QStringLiteral("4.94 cm"));
    for (const char* name : {"ZVUnitsTransformer", "ZVPercentageTransformer", "ZVFramePositionXUnitsTransformer",
                             "ZVFramePositionYUnitsTransformer", "ZVFrameSizeWidthUnitsTransformer",
                             "ZVFrameSizeHeightUnitsTransformer", "ZVDegreesTransformer", "ZVDegreesTransformer2",
                             "ZVShadowOffsetTransformer", "ZVPointsTransformer", "ZVNumberTransformer"}) {
        const ql::ValueTransformer* t = registry.transformer(QLatin1String(name));
        ASSERT_NE(t, nullptr) << name;
        EXPECT_TRUE(t->allowsReverseTransformation()) << name;
    }
    EXPECT_EQ(registry.transformer(QStringLiteral("ZVUnitsTransformer"))->transformedValueClass(), QStringLiteral("NSNumber"));
    EXPECT_EQ(registry.transformer(QStringLiteral("ZVDegreesTransformer"))->transformedValueClass(), QStringLiteral("NSValue"));
}
