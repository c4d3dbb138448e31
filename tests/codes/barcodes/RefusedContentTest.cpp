// Hostile and mistyped content: every refusal is a message, never a code,
// never a crash (this suite also runs under the sanitizers).
#include "BarcodeTesting.h"

#include "codes/barcodes/BCEAN13Code.h"
#include "codes/barcodes/BCEAN2SupplementCode.h"
#include "codes/barcodes/BCEAN5SupplementCode.h"
#include "codes/barcodes/BCEAN8Code.h"
#include "codes/barcodes/BCISBNCode.h"
#include "codes/barcodes/BCISMNCode.h"
#include "codes/barcodes/BCISSNCode.h"
#include "codes/barcodes/BCUPCACode.h"
#include "codes/barcodes/BCUPCECode.h"

#include <random>

using namespace barcodetest;
using namespace ql;

namespace {

template <class Code>
void expectRefused(const QStringList& contents)
{
    for (const QString& content : contents)
        EXPECT_FALSE(refusal<Code>(content).isEmpty()) << Code::barcodeDescription().toStdString() << ": " << content.toStdString();
}

const QString ArabicIndicDigits = QString::fromUtf16(u"\u0669\u0667\u0668\u0660\u0663\u0660\u0666\u0664\u0660\u0666\u0661\u0665\u0667");
const QString FullwidthDigits = QString::fromUtf16(u"\uFF19\uFF17\uFF18\uFF10\uFF13\uFF10\uFF16\uFF14\uFF10\uFF16\uFF11\uFF15\uFF17");

} // namespace

TEST(RefusedContent, EveryKindRefusesWhatItCannotCarry)
{
    const QString veryLong(100000, u'7');
    expectRefused<BCEAN13Code>({"", "978030640615A", "97803064061", veryLong, ArabicIndicDigits, FullwidthDigits, "9780306406158", "-978030640615"});
    expectRefused<BCEAN8Code>({"", "9638507x", "963850745", veryLong, ArabicIndicDigits.left(8), "96385075"});
    expectRefused<BCUPCACode>({"", "03600029145x", "0360002914521", veryLong, FullwidthDigits.left(12)});
    expectRefused<BCUPCECode>({"", "0123456x", "31234565", veryLong, ArabicIndicDigits.left(8), "01234566"});
    expectRefused<BCEAN2SupplementCode>({"", "1x", "100", veryLong, ArabicIndicDigits.left(2), "-1", " 1"});
    expectRefused<BCEAN5SupplementCode>({"", "1234x", "123456", "91234", veryLong, FullwidthDigits.left(5)});
    expectRefused<BCISBNCode>({"", "978-0-306-40615-8", "978-0-306-40615", veryLong, ArabicIndicDigits, "978--306-40615-7",
                               "979-0-306-40615-7", "-------------"});
    expectRefused<BCISMNCode>({"", "979-0-2600-0043-9", veryLong, "979-0-", "979-0-------"});
    expectRefused<BCISSNCode>({"", "0317-8472", "0317-847", veryLong, "-0317-8471", "1-2-1234-5679", "x"});
}

TEST(RefusedContent, RandomTextsNeverCrashAnyKind)
{
    std::mt19937 random(8);
    const QString alphabet = QStringLiteral("0123456789-+xX ") + QString::fromUtf16(u"\u0660\uFF10\u00E9\U0001F600");
    for (int i = 0; i < 3000; ++i) {
        QString text;
        const int length = int(random() % 20);
        for (int j = 0; j < length; ++j)
            text.append(alphabet[qsizetype(random() % alphabet.size())]);
        // Results do not matter here; surviving them does.
        const auto draw = [](auto result) {
            if (result.ok())
                (void)result.value()->barString();
        };
        draw(BCEAN13Code::create(text));
        draw(BCEAN8Code::create(text));
        draw(BCUPCACode::create(text));
        draw(BCUPCECode::create(text));
        draw(BCEAN2SupplementCode::create(text));
        draw(BCEAN5SupplementCode::create(text));
        draw(BCISBNCode::create(text));
        draw(BCISMNCode::create(text));
        draw(BCISSNCode::create(text));
    }
}
