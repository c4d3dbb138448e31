// Code 128: code-set choice while encoding, the check character, refusals.
#include "BarcodeTesting.h"

#include "codes/barcodes/BCCode128Code.h"

#include <QtTest/QTest>

using namespace barcodetest;
using namespace ql;

namespace {

// The symbol values of a code's characters, stop left out.
std::vector<quint64> values(const BCCode& code)
{
    std::vector<quint64> positions;
    for (const BCCodeCharacterPtr& character : code.codeCharacters())
        positions.push_back(static_cast<const BCCode128CodeCharacter&>(*character).position());
    positions.pop_back();
    return positions;
}

using V = std::vector<quint64>;

} // namespace

TEST(Code128, SetChoiceAndCheckCharacter)
{
    const auto digits = made<BCCode128Code>("1234");
    EXPECT_EQ(values(*digits), (V{105, 12, 34, 82}));
    EXPECT_EQ(bars(*digits).size(), 57);
    EXPECT_TRUE(bars(*digits).endsWith("1100011101011"));
    EXPECT_EQ(digits->sizeWithRenderOptions({}), QSizeF(77, 34));
    EXPECT_EQ(digits->sizeWithRenderOptions(atScale(20)), QSizeF(1540, 34));

    EXPECT_EQ(values(*made<BCCode128Code>("123")), (V{103, 17, 18, 19, 7}));
    EXPECT_EQ(values(*made<BCCode128Code>("12345")), (V{105, 12, 34, 101, 21, (105 + 12 + 68 + 303 + 84) % 103}));
    EXPECT_EQ(values(*made<BCCode128Code>("A12345678")), (V{103, 33, 99, 12, 34, 56, 78, 18}));
    const V a12345 = values(*made<BCCode128Code>("A12345"));
    EXPECT_EQ(V(a12345.begin(), a12345.end() - 1), (V{103, 33, 99, 12, 34, 101, 21}));
    EXPECT_EQ(made<BCCode128Code>("Hello")->startingVersion(), BCCode128Version::B);
    EXPECT_EQ(made<BCCode128Code>("HELLO")->startingVersion(), BCCode128Version::A);
    const V mixed = values(*made<BCCode128Code>("ab12345678CD"));
    EXPECT_EQ(V(mixed.begin(), mixed.end() - 1), (V{104, 65, 66, 99, 12, 34, 56, 78, 101, 35, 36}));
    const V leading = values(*made<BCCode128Code>("1234ab"));
    EXPECT_EQ(V(leading.begin(), leading.end() - 1), (V{104, 99, 12, 34, 100, 65, 66}));
    const V controls = values(*made<BCCode128Code>(QStringLiteral("A\tB")));
    EXPECT_EQ(controls[2], 73u);
    const V del = values(*made<BCCode128Code>(QStringLiteral("a") + QChar(0x7F)));
    EXPECT_EQ(del[2], 95u);
    EXPECT_EQ(made<BCCode128Code>("1234")->captionTextForZone(BCCaptionZone::BelowBars, {}), "1234");
}

TEST(Code128, ContentNeedingBothSetsOrBeyondASCIIIsRefused)
{
    EXPECT_EQ(refusal<BCCode128Code>(QStringLiteral("a\t")),
              QStringLiteral("String 'a\t' cannot be encoded in Code128. Character at index 1 (\t) not supported"));
    EXPECT_EQ(refusal<BCCode128Code>(QStringLiteral("caf\u00e9")),
              QStringLiteral("String 'caf\u00e9' cannot be encoded in Code128. Character at index 3 (\u00e9) not supported"));
    EXPECT_FALSE(refusal<BCCode128Code>(QStringLiteral("x\U0001F600")).isEmpty());
    EXPECT_EQ(refusal<BCCode128Code>(""), "Unable to encoded empty string in Code 128");
    EXPECT_EQ(BCCode128CodeCharacter::startCodeForVersion(BCCode128Version::NoSet), nullptr);
    EXPECT_EQ(BCCode128CodeCharacter::switchCodeToVersion(BCCode128Version::NoSet), nullptr);
    QTest::ignoreMessage(QtWarningMsg, "Character 'a' not present in Code128A");
    EXPECT_EQ(BCCode128CodeCharacter::codeCharacterForCharacter(u"a", BCCode128Version::A), nullptr);
}
