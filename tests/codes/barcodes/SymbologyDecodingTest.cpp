// Code 128, Code 39 (plain, with its check character, full ASCII), Code 93,
// Codabar and Interleaved 2 of 5, rendered at bar scales 1, 2 and 20, must
// read back in ZXing and zbar as the content they were made from.
#include "BarcodeTesting.h"

#include "codes/barcodes/BCCodabarCode.h"
#include "codes/barcodes/BCCode128Code.h"
#include "codes/barcodes/BCCode39Code.h"
#include "codes/barcodes/BCCode39CodeModulo43.h"
#include "codes/barcodes/BCCode39FullASCII.h"
#include "codes/barcodes/BCCode93Code.h"
#include "codes/barcodes/BCInterleaved2of5Code.h"

#include <random>

using namespace barcodetest;

namespace {

constexpr int CorpusSize = 200;

QString randomText(std::mt19937& random, const QString& alphabet, int minLength, int maxLength)
{
    QString text;
    const int length = minLength + int(random() % unsigned(maxLength - minLength + 1));
    for (int i = 0; i < length; ++i)
        text.append(alphabet[qsizetype(random() % unsigned(alphabet.size()))]);
    return text;
}

QString range(char16_t first, char16_t last)
{
    QString characters;
    for (char16_t c = first; c <= last; ++c)
        characters.append(QChar(c));
    return characters;
}

// The control pictures that full-ASCII content uses stand for the control characters a reader returns.
std::string asRead(const QString& content)
{
    std::string read;
    for (QChar c : content) {
        char16_t u = c.unicode();
        if (u >= 0x2400 && u <= 0x241F)
            u -= 0x2400;
        else if (u == 0x2421)
            u = 0x7F;
        read.push_back(char(u));
    }
    return read;
}

struct Sample {
    QString content;
    std::unique_ptr<ql::BCCode> code;
    std::string expected;
};

template <class Code>
Sample sample(const QString& content, const std::string& expected)
{
    auto code = made<Code>(content);
    return {content, std::move(code), expected};
}

const QString Code39Basic = range(u'0', u'9') + range(u'A', u'Z') + QStringLiteral("-. $/+%");
const QString FullAscii = range(0x20, 0x7E) + range(0x2400, 0x241F) + QChar(0x2421);

Sample sampleFor(const std::string& kind, std::mt19937& random, int index)
{
    if (kind == "code128") {
        // Thirds: set A with control characters, set B with lower case and DEL, and digit runs.
        const QString alphabet = index % 3 == 0 ? range(0x00, 0x5F) : index % 3 == 1 ? range(0x20, 0x7F) : range(u'0', u'9');
        QString content = randomText(random, alphabet, 1, 24);
        if (index % 3 == 1 && index % 2 == 0)
            content.insert(content.size() / 2, randomText(random, range(u'0', u'9'), 4, 8));
        return sample<ql::BCCode128Code>(content, content.toStdString());
    }
    if (kind == "code39" || kind == "code39mod43") {
        const QString content = randomText(random, Code39Basic, 1, 16);
        return kind == "code39" ? sample<ql::BCCode39Code>(content, content.toStdString())
                                : sample<ql::BCCode39CodeModulo43>(content, content.toStdString());
    }
    if (kind == "code39full") {
        const QString content = randomText(random, FullAscii, 1, 12);
        return sample<ql::BCCode39FullASCII>(content, asRead(content));
    }
    if (kind == "code93") {
        const QString content = randomText(random, FullAscii, 1, 16);
        return sample<ql::BCCode93Code>(content, asRead(content));
    }
    if (kind == "codabar") {
        // ZXing reads Codabar from three characters between start and stop on.
        const QString content = randomText(random, "ABCD", 1, 1) + randomText(random, "0123456789-$:/.+", 3, 16) + randomText(random, "ABCD", 1, 1);
        return sample<ql::BCCodabarCode>(content, content.toStdString());
    }
    // Interleaved 2 of 5: odd contents get their leading zero. ZXing reads six digits and more.
    const QString content = randomText(random, range(u'0', u'9'), 5, 24);
    return sample<ql::BCInterleaved2of5Code>(content, (content.size() % 2 ? "0" : "") + content.toStdString());
}

// zbar reads Code 39 without full ASCII: the shift pairs are undone here
// with the standard's table.
std::string fromFullAscii(const std::string& basic)
{
    std::string text;
    for (size_t i = 0; i < basic.size(); ++i) {
        const char shift = basic[i];
        if (i + 1 >= basic.size() || (shift != '$' && shift != '%' && shift != '/' && shift != '+')) {
            text.push_back(shift);
            continue;
        }
        const char letter = basic[++i];
        const int n = letter - 'A';
        if (shift == '$')
            text.push_back(char(1 + n));
        else if (shift == '+')
            text.push_back(char('a' + n));
        else if (shift == '/')
            text.push_back(letter == 'O' ? '/' : letter == 'Z' ? ':' : char('!' + n));
        else if (letter <= 'E')
            text.push_back(char(0x1B + n));
        else if (letter <= 'J')
            text.push_back(char(';' + letter - 'F'));
        else if (letter <= 'O')
            text.push_back(char('[' + letter - 'K'));
        else if (letter <= 'S')
            text.push_back(char('{' + letter - 'P'));
        else
            text.push_back(letter == 'U' ? '\0' : letter == 'V' ? '@' : letter == 'W' ? '`' : char(0x7F));
    }
    return text;
}

char modulo43(const std::string& content)
{
    const std::string values = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
    size_t sum = 0;
    for (char c : content)
        sum += values.find(c);
    return values[sum % 43];
}

class SymbologyDecoding : public ::testing::TestWithParam<std::tuple<std::string, double>> {};

} // namespace

TEST_P(SymbologyDecoding, CorpusReadsBackInBothDecoders)
{
    const auto& [kind, scale] = GetParam();
    testsupport::LinearReading reading;
    reading.symbology = kind == "code128" ? "Code128" : kind == "code93" ? "Code93" : kind == "codabar" ? "Codabar"
        : kind == "itf" ? "ITF" : "Code39";
    reading.code39CheckCharacter = kind == "code39mod43";
    reading.code39FullAscii = kind == "code39full";
    std::mt19937 random(std::hash<std::string>()(kind) & 0xffffffffu);
    int failures = 0;
    for (int i = 0; i < CorpusSize; ++i) {
        const Sample sample = sampleFor(kind, random, i);
        ASSERT_TRUE(sample.code) << sample.content.toStdString();
        // These codes are 34 points tall at any bar scale; at 20 the caption and
        // its one-module gap leave bars a few points tall, so they are read without it.
        ql::BCRenderOptions options = atScale(scale);
        if (scale >= 20)
            options.insert(ql::BCCodeDrawingPrintCaption, false);
        Readings read = decodedByBoth(ql::BCCodeRenderer().imageWithBarCode(sample.code.get(), options), scale, reading);
        // zbar does not check a Code 39 check character; it returns it, and it
        // must be the modulo-43 sum of the content's values.
        if (kind == "code39full")
            read.zbar = fromFullAscii(read.zbar);
        const std::string zbarExpected = kind == "code39mod43" ? sample.expected + modulo43(sample.expected) : sample.expected;
        EXPECT_EQ(read.zxing, sample.expected) << "ZXing, " << kind << " at bar scale " << scale;
        EXPECT_EQ(read.zbar, zbarExpected) << "zbar, " << kind << " at bar scale " << scale;
        failures += (read.zxing != sample.expected) + (read.zbar != zbarExpected);
        ASSERT_LT(failures, 6) << "stopping after repeated failures";
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, SymbologyDecoding,
                         ::testing::Combine(::testing::Values("code128", "code39", "code39mod43", "code39full", "code93", "codabar", "itf"),
                                            ::testing::Values(1.0, 2.0, 20.0)),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_scale" + std::to_string(int(std::get<1>(info.param)));
                         });
