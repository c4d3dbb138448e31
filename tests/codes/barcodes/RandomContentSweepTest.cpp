// Ten thousand random texts per symbology: each is either refused with a
// message or made into a code whose bars and image can be produced. Run under
// the sanitizers, this is the guard against reading out of bounds.
#include "BarcodeTesting.h"

#include "codes/barcodes/BCCodabarCode.h"
#include "codes/barcodes/BCCode11Code.h"
#include "codes/barcodes/BCCode128Code.h"
#include "codes/barcodes/BCCode39Code.h"
#include "codes/barcodes/BCCode39CodeModulo43.h"
#include "codes/barcodes/BCCode39FullASCII.h"
#include "codes/barcodes/BCCode39FullASCIIModulo43.h"
#include "codes/barcodes/BCCode93Code.h"
#include "codes/barcodes/BCFacingIdentificationMarkCode.h"
#include "codes/barcodes/BCInterleaved2of5Code.h"
#include "codes/barcodes/BCMSICode.h"
#include "codes/barcodes/BCPOSTNETCode.h"
#include "codes/barcodes/BCPharmacodeOneTrack.h"
#include "codes/barcodes/BCStandard2of5Code.h"

#include <random>

using namespace ql;

namespace {

using Maker = std::function<Result<std::unique_ptr<BCCode>>(const QString&)>;

template <class Code, class... Args>
Maker maker(Args... args)
{
    return [=](const QString& text) -> Result<std::unique_ptr<BCCode>> {
        auto code = Code::create(text, args...);
        if (!code)
            return code.error();
        return std::unique_ptr<BCCode>(std::move(code).value());
    };
}

const std::vector<std::pair<std::string, Maker>>& makers()
{
    static const std::vector<std::pair<std::string, Maker>> all = {
        {"code128", maker<BCCode128Code>()},
        {"code39", maker<BCCode39Code>()},
        {"code39mod43", maker<BCCode39CodeModulo43>()},
        {"code39full", maker<BCCode39FullASCII>()},
        {"code39fullmod43", maker<BCCode39FullASCIIModulo43>()},
        {"code93", maker<BCCode93Code>()},
        {"code11", maker<BCCode11Code>()},
        {"codabar", maker<BCCodabarCode>()},
        {"itf", maker<BCInterleaved2of5Code>()},
        {"std2of5", maker<BCStandard2of5Code>(true)},
        {"msi", maker<BCMSICode>(BCMSICodeCheckDigitScheme::Mod1110)},
        {"postnet", maker<BCPOSTNETCode>()},
        {"pharmacode", maker<BCPharmacodeOneTrack>()},
        {"fim", maker<BCFacingIdentificationMarkCode>()},
    };
    return all;
}

// Mostly characters some symbology accepts, with control characters,
// accented letters, control pictures, lone surrogates and wide digits.
QString randomText(std::mt19937& random)
{
    static const QString alphabet = [] {
        QString characters;
        for (char16_t c = 0; c < 0x80; ++c)
            characters.append(QChar(c));
        characters += QStringLiteral("0123456789ABCD0123456789");
        characters += QString::fromUtf16(u"\u00e9\u2400\u2409\u241f\u2421\uff10\u0660");
        characters.append(QChar(0xD83D));
        characters.append(QChar(0xDE00));
        return characters;
    }();
    const int length = int(random() % 24);
    QString text;
    for (int i = 0; i < length; ++i)
        text.append(alphabet[qsizetype(random() % unsigned(alphabet.size()))]);
    return text;
}

class RandomContentSweep : public ::testing::TestWithParam<size_t> {};

} // namespace

TEST_P(RandomContentSweep, RefusesOrDrawsEveryText)
{
    const auto& [kind, make] = makers()[GetParam()];
    std::mt19937 random(unsigned(GetParam()) + 1);
    int made = 0;
    for (int i = 0; i < 10000; ++i) {
        // Every other text is digits only, so numeric symbologies get made too.
        QString text = randomText(random);
        if (i % 2 == 1)
            text = QString::number(random()).left(int(random() % 12));
        const auto code = make(text);
        if (!code) {
            EXPECT_FALSE(code.error().message.isEmpty()) << kind;
            EXPECT_EQ(code.error().code, 200);
            continue;
        }
        ++made;
        EXPECT_GT(code.value()->barString().length(), 0u) << kind << ": " << text.toStdString();
        if (made % 100 == 1) {
            EXPECT_FALSE(ql::BCCodeRenderer().imageWithBarCode(code.value().get(), {}).isNull()) << kind;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, RandomContentSweep, ::testing::Range(size_t(0), makers().size()),
                         [](const auto& info) { return makers()[info.param].first; });
