// The Code 39 family and Code 93.
#include "BarcodeTesting.h"

#include "codes/barcodes/BCCode39Code.h"
#include "codes/barcodes/BCCode39CodeModulo43.h"
#include "codes/barcodes/BCCode39FullASCII.h"
#include "codes/barcodes/BCCode39FullASCIIModulo43.h"
#include "codes/barcodes/BCCode93Code.h"

using namespace barcodetest;
using namespace ql;


TEST(Code39, BasicModulo43AndFullASCII)
{
    const auto basic = made<BCCode39Code>("CODE39");
    EXPECT_EQ(bars(*basic).size(), 103);
    EXPECT_EQ(basic->sizeWithRenderOptions({}).width(), 123);
    EXPECT_TRUE(bars(*basic).startsWith("1001011011010"));
    EXPECT_EQ(tableCharacters(*made<BCCode39CodeModulo43>("CODE39"), " "), "C O D E 3 9 W");
    EXPECT_EQ(bars(*made<BCCode39CodeModulo43>("CODE39")).size(), 116);

    EXPECT_EQ(tableCharacters(*made<BCCode39FullASCII>("a"), " "), "+ A");
    EXPECT_EQ(tableCharacters(*made<BCCode39FullASCIIModulo43>("a"), " "), "+ A 8");
    EXPECT_EQ(tableCharacters(*made<BCCode39FullASCII>(";"), " "), "% F");
    EXPECT_EQ(tableCharacters(*made<BCCode39FullASCII>(QStringLiteral("\u2409")), " "), "$ I");
    EXPECT_EQ(tableCharacters(*made<BCCode39FullASCII>("$%/+"), " "), "/ D / E / O / K");
    EXPECT_EQ(made<BCCode39FullASCII>("abc")->captionTextForZone(BCCaptionZone::BelowBars, {}), "abc");
    // One gap between the shift and its letter, as between any two characters.
    EXPECT_EQ(bars(*made<BCCode39FullASCII>("a")).size(), 12 + 13 * 2 + 1 + 12);

    EXPECT_EQ(refusal<BCCode39Code>("CODEa"), "Character at index 4 'a' cannot be encoded in BCCode39Code");
    EXPECT_EQ(refusal<BCCode39FullASCII>(QStringLiteral("a\tb")), QStringLiteral("Character at index 1 '\t' cannot be encoded in Code 39 Full ASCII"));
    EXPECT_EQ(refusal<BCCode39FullASCIIModulo43>(QStringLiteral("\u00e9")),
              QStringLiteral("Character at index 0 '\u00e9' cannot be encoded in Code 39 Full ASCII mod 43"));
}

TEST(Code39, FactoryPicksTheVariant)
{
    const auto kind = [](const QString& content, bool modulo43) -> std::string {
        auto code = BCCode39Code::code93WithContent(content, modulo43);
        return code ? code.value()->descriptionOfSymbology().toStdString() : code.error().message.toStdString();
    };
    EXPECT_EQ(kind("ABC", false), "Code 39");
    EXPECT_EQ(kind("abc", false), "Code 39 Full ASCII");
    EXPECT_EQ(kind("ABC", true), "Code 39 mod 43");
    EXPECT_EQ(kind("abc", true), "Code 39 Full ASCII mod 43");
    EXPECT_EQ(kind(QStringLiteral("\u00e9"), false), "Content contains characters that cannot be encoded by Code39");
}

TEST(Code93, ChecksShiftsAndLength)
{
    const auto test93 = made<BCCode93Code>("TEST93");
    EXPECT_EQ(tableCharacters(*test93, " "), "T E S T 9 3 + 6");
    EXPECT_EQ(bars(*test93).size(), 91);
    EXPECT_TRUE(bars(*test93).startsWith("101011110"));
    EXPECT_TRUE(bars(*test93).endsWith("1010111101"));
    EXPECT_EQ(test93->captionTextForZone(BCCaptionZone::BelowBars, {}), "TEST93");
    EXPECT_TRUE(tableCharacters(*made<BCCode93Code>("a"), " ").startsWith("(+) A "));
    EXPECT_EQ(BCCode93Code::generateModulo47("other", {}), nullptr);
    EXPECT_EQ(refusal<BCCode93Code>(QStringLiteral("ab\u00e9")), QStringLiteral("Character at index 2 '\u00e9' cannot be encoded in Code 93 Full ASCII"));
}
