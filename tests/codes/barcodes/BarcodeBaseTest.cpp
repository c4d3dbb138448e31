// What every barcode shares: sizes from the bar scale, the empty-content
// rule, caption display texts and option defaults.
#include "BarcodeTesting.h"

#include "codes/barcodes/BCEAN13Code.h"
#include "codes/barcodes/BCEAN8Code.h"
#include "codes/barcodes/BCUPCACode.h"
#include "codes/barcodes/BCUPCECode.h"

using namespace barcodetest;
using namespace ql;

TEST(BarcodeBase, SizesFollowBarScaleQuietZoneAndAspectRatio)
{
    const auto ean13 = made<BCEAN13Code>("9780306406157");
    EXPECT_EQ(ean13->sizeWithRenderOptions(atScale(20)), QSizeF(2180, 1438));
    EXPECT_EQ(ean13->sizeWithRenderOptions({}), QSizeF(109, 72));
    EXPECT_EQ(made<BCEAN8Code>("96385074")->sizeWithRenderOptions(atScale(20)), QSizeF(1620, 1292));
    EXPECT_EQ(made<BCUPCECode>("01234565")->sizeWithRenderOptions(atScale(20)), QSizeF(1300, 1037));
    EXPECT_EQ(made<BCUPCACode>("036000291452")->sizeWithRenderOptions(atScale(2)), QSizeF(230, 152));
    // The image has the size in pixels.
    EXPECT_EQ(rendered(*ean13, 20).size(), QSize(2180, 1438));
    EXPECT_EQ(ean13->barString().length(), 95u);
}

TEST(BarcodeBase, EmptyContentIsRefusedWithTheSymbologysName)
{
    EXPECT_EQ(refusal<BCEAN13Code>(""), "Unable to encoded empty string in EAN-13");
    EXPECT_EQ(refusal<BCUPCECode>(""), "Unable to encoded empty string in UPC-E");
}

TEST(BarcodeBase, QuietZoneTextsFillOnlyWhenAllowedAndAsked)
{
    const BCRenderOptions fill{{BCCodeDrawingFillEmptyQuietZones, true}};
    const auto ean13 = made<BCEAN13Code>("9780306406157");
    EXPECT_TRUE(ean13->rightQuietZoneDisplayText({}).isNull());
    EXPECT_EQ(ean13->rightQuietZoneDisplayText(fill), ">");
    EXPECT_EQ(ean13->leftQuietZoneDisplayText(fill), "9");
    const auto ean8 = made<BCEAN8Code>("96385074");
    EXPECT_EQ(ean8->leftQuietZoneDisplayText(fill), "<");
    EXPECT_EQ(ean8->rightQuietZoneDisplayText(fill), ">");
    const auto upca = made<BCUPCACode>("036000291452");
    EXPECT_EQ(upca->leftQuietZoneDisplayText(fill), "0");
    EXPECT_EQ(upca->rightQuietZoneDisplayText(fill), "2");
    EXPECT_FALSE(upca->allowsFillingOfEmptyQuietZones());
}

TEST(BarcodeBase, CaptionTextsAndOptionDefaults)
{
    const auto ean13 = made<BCEAN13Code>("9780306406157");
    EXPECT_EQ(ean13->leftCaptionZoneDisplayText({}), "780306");
    EXPECT_EQ(ean13->rightCaptionZoneDisplayText({}), "406157");
    const BCRenderOptions noCaption{{BCCodeDrawingPrintCaption, false}};
    EXPECT_TRUE(ean13->leftCaptionZoneDisplayText(noCaption).isNull());
    EXPECT_FALSE(ean13->shouldDrawCaptionFromOptions(noCaption));
    EXPECT_EQ(ean13->captionFontNameFromOptions({}), "OCRB");
    EXPECT_EQ(ean13->captionFontNameFromOptions({{BCCodeDrawingCaptionFontName, "Courier"}}), "Courier");
    EXPECT_EQ(BCCode::barScaleFromOptions({}), 1.0);
    EXPECT_EQ(BCCode::markerBarCaptionOverlapFromOptions({}), 1.0);
    EXPECT_FALSE(BCCode::shouldShowCheckDigitsFromOptions({}));
    // Zone widths the caption font is fitted to: one module less than the
    // quiet zone, two less than the digits between the guards.
    EXPECT_EQ(ean13->horizontalQuietZoneWidthWithOptions(atScale(20)), 120);
    EXPECT_EQ(ean13->leftCaptionZoneWidthWithOptions(atScale(20)), 800);
    EXPECT_EQ(ean13->rightCaptionZoneWidthWithOptions(atScale(20)), 800);
    EXPECT_TRUE(ean13->description().startsWith("<EAN-13 content='101"));
}

TEST(BarcodeBase, ErrorsCarryTheLibraryDomainAndCode)
{
    const Error error = BCCodeErrorWithMessage("x");
    EXPECT_EQ(error.domain, BCCodeErrorDomain);
    EXPECT_EQ(error.code, 200);
    EXPECT_EQ(BCFormat("%@ at %d of %lu: %02ld%%", {"a", "1", "2", "03"}), "a at 1 of 2: 03%");
}
