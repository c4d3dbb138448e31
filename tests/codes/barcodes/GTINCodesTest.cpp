// EAN-13, EAN-8, UPC-A and UPC-E: guards, parities, captions and validation.
#include "BarcodeTesting.h"

#include "codes/barcodes/BCEAN13Code.h"
#include "codes/barcodes/BCEAN8Code.h"
#include "codes/barcodes/BCEANCodeCharacter.h"
#include "codes/barcodes/BCUPCACode.h"
#include "codes/barcodes/BCUPCECode.h"

using namespace barcodetest;
using namespace ql;

namespace {

// The sets (L/G/R) in which the digits of a symbol are drawn, read back from
// its bar text against the digit table.
QString setsOf(const QString& barText, const QString& content, int firstDigit, int firstModule, int count)
{
    QString sets;
    for (int i = 0; i < count; ++i) {
        const QString pattern = barText.mid(firstModule + 7 * i, 7);
        const unsigned digit = unsigned(content[firstDigit + i].digitValue());
        for (auto [encoding, letter] : {std::pair{BCEANEncoding::L, u'L'}, {BCEANEncoding::G, u'G'}, {BCEANEncoding::R, u'R'}}) {
            if (BCEANCodeCharacter::patternForDigit(digit, encoding) == pattern)
                sets.append(QChar(letter));
        }
    }
    return sets;
}

QString upceWithCheckDigit(unsigned numberSystem, unsigned checkDigit)
{
    for (int body = 0; body < 1000000; ++body) {
        const QString content = QString::number(numberSystem) + QStringLiteral("%1").arg(body, 6, 10, QLatin1Char('0')) + u'0';
        const QString upca = BCUPCECode::expandedToUPCA(content);
        if (BCGTINCode::checkDigitFor(QStringView(upca).first(11)) == checkDigit)
            return content.left(7) + QString::number(checkDigit);
    }
    return {};
}

} // namespace

TEST(GTINCodes, EAN13GuardsAndParityFromTheFirstDigit)
{
    const auto zero = made<BCEAN13Code>("0012345678905");
    const QString zeroBars = bars(*zero);
    EXPECT_EQ(zeroBars.size(), 95);
    EXPECT_TRUE(zeroBars.startsWith("101") && zeroBars.endsWith("101"));
    EXPECT_EQ(zeroBars.mid(45, 5), "01010");
    EXPECT_EQ(setsOf(zeroBars, zero->content(), 1, 3, 6), "LLLLLL");
    EXPECT_EQ(setsOf(zeroBars, zero->content(), 7, 50, 6), "RRRRRR");
    const auto five = made<BCEAN13Code>("5901234123457");
    EXPECT_EQ(setsOf(bars(*five), five->content(), 1, 3, 6), "LGGLLG");
    EXPECT_EQ(BCEAN13Code::generateEAN13CheckDigit(u""), "0");
    EXPECT_EQ(BCEAN13Code::generateEAN13CheckDigit(u"590123412345"), "7");
}

TEST(GTINCodes, EAN8UPCAAndUPCEStructure)
{
    const auto ean8 = made<BCEAN8Code>("96385074");
    const QString ean8Bars = bars(*ean8);
    EXPECT_EQ(ean8Bars.size(), 67);
    EXPECT_EQ(setsOf(ean8Bars, ean8->content(), 0, 3, 4) + setsOf(ean8Bars, ean8->content(), 4, 36, 4), "LLLLRRRR");

    // UPC-A: the outer digits are markers, so they get long bars.
    const auto upca = made<BCUPCACode>("036000291452");
    EXPECT_EQ(bars(*upca).size(), 95);
    EXPECT_TRUE(upca->codeCharacters()[1]->isMarker());
    EXPECT_TRUE(upca->codeCharacters()[13]->isMarker());
    EXPECT_FALSE(upca->codeCharacters()[2]->isMarker());

    const auto upce = made<BCUPCECode>("01234565");
    EXPECT_EQ(bars(*upce).size(), 51);
    EXPECT_TRUE(bars(*upce).endsWith("010101"));
    EXPECT_EQ(BCUPCECode::expandedToUPCA(u"01234565"), "012345000065");
    EXPECT_EQ(BCUPCECode::expandedToUPCA(u"01234537"), "012300000457"); // last digit 3
    EXPECT_EQ(BCUPCECode::expandedToUPCA(u"01234147"), "012340000017"); // last digit 4
    EXPECT_EQ(BCUPCECode::expandedToUPCA(u"01234027"), "012200003407"); // last digit 0-2

    // Number system 1 with check digit 5: parities "OEEOOE".
    const QString content = upceWithCheckDigit(1, 5);
    const auto system1 = made<BCUPCECode>(content);
    ASSERT_TRUE(system1);
    EXPECT_EQ(setsOf(bars(*system1), content, 1, 3, 6), "LGGLLG");
}

TEST(GTINCodes, CaptionTextsPerZone)
{
    using Z = BCCaptionZone;
    const auto texts = [](const BCCode& code) {
        QStringList zones;
        for (Z zone : {Z::LeftQuiet, Z::LeftCaption, Z::RightCaption, Z::RightQuiet, Z::BelowBars}) {
            const QString text = code.captionTextForZone(zone, {});
            zones << (text.isNull() ? QStringLiteral("-") : text);
        }
        return zones.join(u'|');
    };
    EXPECT_EQ(texts(*made<BCEAN13Code>("9780306406157")), "9|780306|406157|-|780306");
    EXPECT_EQ(texts(*made<BCEAN8Code>("96385074")), "-|9638|5074|-|9638");
    EXPECT_EQ(texts(*made<BCUPCACode>("036000291452")), "0|36000|29145|2|36000");
    EXPECT_EQ(texts(*made<BCUPCECode>("01234565")), "0|123456|-|5|123456");
}

TEST(GTINCodes, ValidationOrderAndMessages)
{
    EXPECT_EQ(refusal<BCEAN13Code>("978030640615"), "EAN-13 requires content to be 13 digits");
    EXPECT_EQ(refusal<BCEAN13Code>("97803064061A7"), "EAN-13 cannot encode 'A' at index 11");
    EXPECT_EQ(refusal<BCEAN8Code>("9638507"), "EAN-8 requires content to be 8 digits");
    EXPECT_EQ(refusal<BCUPCACode>("03600029145"), "UPC-A requires content to be 12 digits");
    EXPECT_EQ(refusal<BCUPCECode>("0123456"), "UPC-E requires content to be 8 digits");
    EXPECT_EQ(refusal<BCUPCECode>("21234565"), "UPC-E requires first digit to be 0 or 1");
    EXPECT_EQ(refusal<BCUPCECode>("A1234565"), "UPC-E requires first digit to be 0 or 1");
    EXPECT_EQ(refusal<BCUPCECode>("012345x5"), "UPC-E cannot encode 'x' at index 6");
    // Every member checks its last digit: a wrong one would print a symbol
    // that no scanner accepts.
    const QString mismatch = "Invalid barcode provided. Check number does not match";
    EXPECT_EQ(refusal<BCEAN13Code>("9780306406158"), mismatch);
    EXPECT_EQ(refusal<BCEAN8Code>("96385075"), mismatch);
    EXPECT_EQ(refusal<BCUPCACode>("036000291453"), mismatch);
    EXPECT_EQ(refusal<BCUPCECode>("01234566"), mismatch);
    EXPECT_TRUE(refusal<BCUPCACode>("036000291452").isEmpty());
}
