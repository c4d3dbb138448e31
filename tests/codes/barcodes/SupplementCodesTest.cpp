// The EAN-2 and EAN-5 add-ons.
#include "BarcodeTesting.h"

#include "codes/barcodes/BCEAN2SupplementCode.h"
#include "codes/barcodes/BCEAN5SupplementCode.h"
#include "codes/barcodes/BCEANCodeCharacter.h"

using namespace barcodetest;
using namespace ql;

namespace {

// L or G for the digit drawn at `module`.
QChar setAt(const BCCode& code, int module, unsigned digit)
{
    const QString pattern = bars(code).mid(module, 7);
    return BCEANCodeCharacter::patternForDigit(digit, BCEANEncoding::G) == pattern ? u'G' : u'L';
}

} // namespace

TEST(SupplementCodes, EAN2StoresTwoDigitsAndTakesParityFromTheValue)
{
    const auto five = made<BCEAN2SupplementCode>("5");
    EXPECT_EQ(five->content(), "05");
    EXPECT_EQ(QString() + setAt(*five, 5, 0) + setAt(*five, 14, 5), "LG");
    EXPECT_EQ(bars(*five).size(), 21);
    EXPECT_TRUE(bars(*five).startsWith("01011"));
    EXPECT_EQ(made<BCEAN2SupplementCode>("007")->content(), "07");
    const auto twelve = made<BCEAN2SupplementCode>("12"); // 12 mod 4 = 0
    EXPECT_EQ(QString() + setAt(*twelve, 5, 1) + setAt(*twelve, 14, 2), "LL");
    const auto fifteen = made<BCEAN2SupplementCode>("15"); // 15 mod 4 = 3
    EXPECT_EQ(QString() + setAt(*fifteen, 5, 1) + setAt(*fifteen, 14, 5), "GG");
    EXPECT_EQ(five->sizeWithRenderOptions({}), QSizeF(21, 42));
    EXPECT_FALSE(five->shouldDrawCaptionFromOptions({}));

    EXPECT_EQ(refusal<BCEAN2SupplementCode>(""), "Unable to encoded empty string in EAN-2 Supplement");
    EXPECT_EQ(refusal<BCEAN2SupplementCode>("100"), "EAN-2 Supplement supports content equal or greater than 0 and less than 100");
    EXPECT_EQ(refusal<BCEAN2SupplementCode>("1a"), "EAN-2 Supplement does not support alpha-numeric characters");
}

TEST(SupplementCodes, EAN5ParityFromItsChecksum)
{
    EXPECT_EQ(BCEAN5SupplementCode::checksumDigitForContent(u"00000"), 0u);
    EXPECT_EQ(BCEAN5SupplementCode::checksumDigitForContent(u"52495"), 1u);
    EXPECT_EQ(BCEAN5SupplementCode::parityPatternForChecksumDigit(1), "GLGLL");
    EXPECT_TRUE(BCEAN5SupplementCode::parityPatternForChecksumDigit(10).isNull());
    const auto zeros = made<BCEAN5SupplementCode>("00000");
    QString sets;
    for (int i = 0; i < 5; ++i)
        sets += setAt(*zeros, 5 + 9 * i, 0);
    EXPECT_EQ(sets, "GGLLL");
    EXPECT_EQ(bars(*zeros).size(), 48);
    EXPECT_TRUE(bars(*zeros).startsWith("01011"));
    EXPECT_EQ(zeros->sizeWithRenderOptions({}), QSizeF(48, 48));

    for (const char* first : {"2", "7", "8", "9"})
        EXPECT_EQ(refusal<BCEAN5SupplementCode>(QString::fromLatin1(first) + "1234"),
                  "EAN-5 Supplement requires the first digit to be a 0, 1, 3, 4, 5 or 6");
    EXPECT_EQ(refusal<BCEAN5SupplementCode>("a1234"), "EAN-5 Supplement does not support alpha-numeric characters");
    EXPECT_EQ(refusal<BCEAN5SupplementCode>("1234"), "EAN-5 Supplement requires content strings with exactly 5 characters");
    EXPECT_EQ(refusal<BCEAN5SupplementCode>(""), "Unable to encoded empty string in EAN-5 Supplement");
}
