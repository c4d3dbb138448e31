// Code 11, Codabar, the 2 of 5 codes, MSI, POSTNET, Pharmacode and FIM.
#include "BarcodeTesting.h"

#include "codes/barcodes/BCCodabarCode.h"
#include "codes/barcodes/BCCode11Code.h"
#include "codes/barcodes/BCFacingIdentificationMarkCode.h"
#include "codes/barcodes/BCInterleaved2of5Code.h"
#include "codes/barcodes/BCMSICode.h"
#include "codes/barcodes/BCPOSTNETCode.h"
#include "codes/barcodes/BCPharmacodeOneTrack.h"
#include "codes/barcodes/BCStandard2of5Code.h"

using namespace barcodetest;
using namespace ql;

namespace {

QString caption(const BCCode& code, const BCRenderOptions& options = {})
{
    return code.captionTextForZone(BCCaptionZone::BelowBars, options);
}

const BCRenderOptions ShowChecks{{BCCodeDrawingShowCheckDigits, true}};

} // namespace

TEST(DiscreteCodes, Code11)
{
    EXPECT_EQ(tableCharacters(*made<BCCode11Code>("123-45")), "123-455");
    const auto ten = made<BCCode11Code>("0123456789");
    EXPECT_EQ(tableCharacters(*ten), "012345678903");
    EXPECT_TRUE(bars(*ten).endsWith("0" "101011" "0" "1100101" "0" "1011001"));
    EXPECT_EQ(tableCharacters(*made<BCCode11Code>("-")), "--");
    EXPECT_EQ(caption(*ten), "0123456789");
    EXPECT_EQ(refusal<BCCode11Code>("12a"), "Character at index 2 'a' cannot be encoded in Code 11");
}

TEST(DiscreteCodes, Codabar)
{
    const auto code = made<BCCodabarCode>("A123B");
    EXPECT_EQ(bars(*code), "1011001001" "0" "101011001" "0" "101001011" "0" "110010101" "0" "1001001011");
    EXPECT_EQ(caption(*code), "123");
    EXPECT_EQ(caption(*code, ShowChecks), "A123B");
    EXPECT_EQ(bars(*made<BCCodabarCode>("T123N")), bars(*code));
    EXPECT_FALSE(code->codeCharacters().front()->isMarker());
    EXPECT_EQ(refusal<BCCodabarCode>("AB"), "Codabar requires at least three characters");
    EXPECT_EQ(refusal<BCCodabarCode>("a123b"), "Character at index 0 'a' is an invalid start character for Codabar");
    EXPECT_EQ(refusal<BCCodabarCode>("A12Z"), "Character at index 3 'Z' is an invalid stop character for Codabar");
    EXPECT_EQ(refusal<BCCodabarCode>("A1Z2B"), "Character at index 2 'Z' cannot be encoded in Codabar");
}

TEST(DiscreteCodes, TwoOfFive)
{
    const auto odd = made<BCInterleaved2of5Code>("12345");
    EXPECT_EQ(odd->content(), "012345");
    EXPECT_EQ(caption(*odd), "012345");
    const auto even = made<BCInterleaved2of5Code>("1234");
    EXPECT_EQ(bars(*even), "1010" "11010010101100" "11011010010100" "1101");
    EXPECT_EQ(even->sizeWithRenderOptions({}), QSizeF(56, 75));
    EXPECT_EQ(refusal<BCInterleaved2of5Code>("12a4"), "Characters 'a' and '4' cannot be encoded in Interleaved 2 of 5 (Code 25)");
    EXPECT_EQ(BCInterleaved2of5Code::canEncodeContent("123").error().message,
              "Interleaved 2 of 5 (Code 25) requires content to be of even length");

    const auto standard = made<BCStandard2of5Code>("123", true);
    EXPECT_EQ(tableCharacters(*standard), "1236");
    EXPECT_EQ(bars(*standard).size(), 71);
    EXPECT_TRUE(bars(*standard).startsWith("1101101" "0" "1110101010111"));
    EXPECT_EQ(caption(*standard, ShowChecks), "123");
    EXPECT_EQ(tableCharacters(*made<BCStandard2of5Code>("550", true)), "5500");
    EXPECT_EQ(tableCharacters(*made<BCStandard2of5Code>("550")), "550");
    EXPECT_EQ(refusal<BCStandard2of5Code>("1x", false), "Character at index 1 'x' cannot be encoded in Standard/Industrial 2 of 5");
}

TEST(DiscreteCodes, MSISchemes)
{
    using S = BCMSICodeCheckDigitScheme;
    EXPECT_EQ(tableCharacters(*made<BCMSICode>("1234567")), "12345674");
    EXPECT_EQ(bars(*made<BCMSICode>("1234567")).size(), 103);
    EXPECT_EQ(tableCharacters(*made<BCMSICode>("1234567", S::Mod11)), "12345674");
    EXPECT_EQ(tableCharacters(*made<BCMSICode>("1234567", S::Mod1010)), "123456741");
    EXPECT_EQ(tableCharacters(*made<BCMSICode>("1234567", S::Mod1110)), "123456741");
    EXPECT_EQ(tableCharacters(*made<BCMSICode>("1234567", S::None)), "1234567");
    EXPECT_EQ(caption(*made<BCMSICode>("1234567")), "1234567");
    EXPECT_EQ(caption(*made<BCMSICode>("1234567"), ShowChecks), "12345674");
    EXPECT_EQ(caption(*made<BCMSICode>("1234567", S::Mod1010), ShowChecks), "123456741");
    EXPECT_EQ(caption(*made<BCMSICode>("1234567", S::None), ShowChecks), "1234567");
    EXPECT_TRUE(bars(*made<BCMSICode>("9", S::None)).contains("110100100110"));
    // A modulo-11 check value of 10 has no digit: refused, not drawn broken.
    EXPECT_EQ(refusal<BCMSICode>("6", S::Mod11), "MSI (Modified Plessey) cannot encode '6': the modulo 11 check digit would be 10");
    EXPECT_FALSE(refusal<BCMSICode>("6", S::Mod1110).isEmpty());
    EXPECT_TRUE(refusal<BCMSICode>("6", S::Mod10).isEmpty());
    EXPECT_EQ(refusal<BCMSICode>("12-3"), "Character at index 2 '-' cannot be encoded in MSI (Modified Plessey)");
}

TEST(DiscreteCodes, POSTNET)
{
    const auto zip = made<BCPOSTNETCode>("12345");
    EXPECT_EQ(tableCharacters(*zip), "123455");
    EXPECT_EQ(bars(*zip).size(), 63);
    EXPECT_EQ(bars(*zip).count(u'1') + bars(*zip).count(u','), 32);
    EXPECT_EQ(caption(*zip), "12345");
    EXPECT_EQ(zip->sizeWithRenderOptions({}), QSizeF(97, 25));
    EXPECT_EQ(tableCharacters(*made<BCPOSTNETCode>("19000")), "190000");
    const auto plus4 = BCPOSTNETCode::createWithZIP("12345", "6789");
    ASSERT_TRUE(plus4.ok());
    EXPECT_EQ(tableCharacters(**plus4), "1234567895");
    // Short bars are drawn in the lower half only.
    const QImage image = rendered(**plus4, 1);
    EXPECT_GT(qAlpha(image.pixel(17, 1)), 0);  // frame bar, tall
    EXPECT_EQ(qAlpha(image.pixel(19, 1)), 0);  // digit 1 starts with a short bar
    EXPECT_GT(qAlpha(image.pixel(19, 10)), 0);

    EXPECT_EQ(BCPOSTNETCode::createWithZIP("12345", QString(), "01").error().message,
              "BCPOSTNETCode requires a ZIP+4 code if a delivery point code is provided");
    EXPECT_EQ(BCPOSTNETCode::createWithZIP("").error().message, "BCPOSTNETCode requires at least a ZIP code");
    EXPECT_EQ(BCPOSTNETCode::createWithZIP("1234").error().message, "The ZIP code must be 5 digits long and include any leading zeroes");
    EXPECT_EQ(BCPOSTNETCode::createWithZIP("12345", "").error().message, "The ZIP+4 code must be 4 digits long");
    EXPECT_EQ(BCPOSTNETCode::createWithZIP("12345", "6789", "1").error().message, "The delivery point code must be 2 digits long");
    EXPECT_EQ(refusal<BCPOSTNETCode>("1234a"), "Contents cannot be encoded in BCPOSTNETCode, only integer values are supported");
    EXPECT_EQ(refusal<BCPOSTNETCode>("123456"), "BCPOSTNETCode only supports 5-digit \"A\", 9-digit \"C\" and 11-digit \"DPBC\" barcodes");
}

TEST(DiscreteCodes, PharmacodeAndFIM)
{
    EXPECT_EQ(bars(*made<BCPharmacodeOneTrack>("3")), "110011");
    EXPECT_EQ(bars(*made<BCPharmacodeOneTrack>("4")), "11001111");
    EXPECT_EQ(bars(*made<BCPharmacodeOneTrack>("131070")), QString("1111").append(QString("001111").repeated(15)));
    const QString range = "Contents cannot be encoded in Pharmacode One Track, only integer values between 3 and 131070 are supported";
    EXPECT_EQ(refusal<BCPharmacodeOneTrack>("2"), range);
    EXPECT_EQ(refusal<BCPharmacodeOneTrack>("131071"), range);
    EXPECT_EQ(refusal<BCPharmacodeOneTrack>("12a"), range);
    EXPECT_EQ(refusal<BCPharmacodeOneTrack>(QString(400, u'9')), range);
    EXPECT_EQ(made<BCPharmacodeOneTrack>("3")->sizeWithRenderOptions({}), QSizeF(40, 22));

    const auto fim = made<BCFacingIdentificationMarkCode>("b");
    EXPECT_EQ(fim->fimType(), BCFIMType::B);
    EXPECT_EQ(fim->content(), "B");
    EXPECT_EQ(bars(*fim), "100010100010100010");
    EXPECT_EQ(fim->sizeWithRenderOptions({}), QSizeF(18, 18));
    EXPECT_FALSE(fim->shouldDrawCaptionFromOptions({}));
    EXPECT_EQ(bars(*made<BCFacingIdentificationMarkCode>("5")), "100010000000100010");
    EXPECT_EQ(refusal<BCFacingIdentificationMarkCode>("F"), "'F' is not a supported FIM type for Facing Identification Mark");
    EXPECT_EQ(BCFacingIdentificationMarkCode::canEncodeContent("F").error().message,
              "0 is not a supported FIM type for Facing Identification Mark");
}
