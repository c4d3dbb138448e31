// Hostile and mistyped content: every refusal is a message, never a code,
// never a crash (this suite also runs under the sanitizers); what a kind
// accepts is drawn as its rules say.
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

#include <QRegularExpression>
#include <algorithm>
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

// What a kind answers a text: a code (its content and how many modules its
// bars take) or a refusal (its message).
struct Answer {
    bool accepted = false;
    QString text;
    int modules = 0;
};

template <class Code>
Answer answerOf(const Result<std::unique_ptr<Code>>& result)
{
    if (!result.ok()) {
        EXPECT_EQ(result.error().domain, BCCodeErrorDomain);
        EXPECT_EQ(result.error().code, 200);
        return {false, result.error().message};
    }
    const QString bars = StringFromBCBarString(result.value()->barString());
    EXPECT_EQ(bars.count(u'0') + bars.count(u'1'), bars.size());
    return {true, result.value()->content(), int(bars.size())};
}

void expectAnswer(const Answer& got, const Answer& want)
{
    EXPECT_EQ(got.accepted, want.accepted) << qPrintable(got.text);
    EXPECT_EQ(got.text, want.text);
    if (want.accepted) {
        EXPECT_EQ(got.modules, want.modules) << qPrintable(got.text);
    }
}

template <class Code>
void expectAnswer(const Result<std::unique_ptr<Code>>& result, const Answer& want)
{
    SCOPED_TRACE(Code::barcodeDescription().toStdString());
    expectAnswer(answerOf(result), want);
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

Answer refused(const QString& message)
{
    return {false, message};
}

// EAN-13, EAN-8, UPC-A and UPC-E by their content rules, the check digit
// left aside.
Answer gtinRule(const QString& text, const QString& name, int length, bool upcE)
{
    if (text.isEmpty())
        return refused(QStringLiteral("Unable to encoded empty string in %1").arg(name));
    if (text.size() != length)
        return refused(QStringLiteral("%1 requires content to be %2 digits").arg(name).arg(length));
    if (upcE && text[0] != u'0' && text[0] != u'1')
        return refused(QStringLiteral("%1 requires first digit to be 0 or 1").arg(name));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isAsciiDigit(text[i]))
            return refused(QStringLiteral("%1 cannot encode '%2' at index %3").arg(name, QString(text[i])).arg(i));
    }
    return {true, text};
}

// Any number of digits below 100 is kept as its two-digit value.
Answer ean2Rule(const QString& text)
{
    const QString name = QStringLiteral("EAN-2 Supplement");
    if (text.isEmpty())
        return refused(QStringLiteral("Unable to encoded empty string in %1").arg(name));
    if (!std::all_of(text.begin(), text.end(), isAsciiDigit))
        return refused(QStringLiteral("%1 does not support alpha-numeric characters").arg(name));
    QString value = text;
    while (value.size() > 1 && value.front() == u'0')
        value.remove(0, 1);
    if (value.size() > 2)
        return refused(QStringLiteral("%1 supports content equal or greater than 0 and less than 100").arg(name));
    return {true, value.rightJustified(2, u'0'), 21};
}

Answer ean5Rule(const QString& text)
{
    const QString name = QStringLiteral("EAN-5 Supplement");
    if (text.isEmpty())
        return refused(QStringLiteral("Unable to encoded empty string in %1").arg(name));
    if (text.size() != 5)
        return refused(QStringLiteral("%1 requires content strings with exactly 5 characters").arg(name));
    if (QStringLiteral("2789").contains(text[0]))
        return refused(QStringLiteral("%1 requires the first digit to be a 0, 1, 3, 4, 5 or 6").arg(name));
    if (!std::all_of(text.begin(), text.end(), isAsciiDigit))
        return refused(QStringLiteral("%1 does not support alpha-numeric characters").arg(name));
    return {true, text, 48};
}

// The printed forms of message formats: "%@" any text, "%d" and "%lu" numbers.
QList<QRegularExpression> shapes(std::initializer_list<const char*> formats)
{
    QList<QRegularExpression> result;
    for (const char* format : formats) {
        QString pattern = QRegularExpression::escape(QString::fromLatin1(format));
        pattern.replace(QLatin1String("\\%\\@"), QLatin1String(".*"));
        pattern.replace(QLatin1String("\\%lu"), QLatin1String("\\d+"));
        pattern.replace(QLatin1String("\\%d"), QLatin1String("-?\\d+"));
        result.append(QRegularExpression(QRegularExpression::anchoredPattern(pattern)));
    }
    return result;
}

// `total` random digits in hyphenated groups of at most `most` digits (the
// last group takes what is left, even past its most).
QString digitGroups(std::mt19937& random, int total, const QList<int>& most)
{
    QStringList groups;
    for (qsizetype g = 0; g < most.size(); ++g) {
        const int later = int(most.size() - g - 1);
        const int size = later == 0 ? total : 1 + int(random() % std::max(1, std::min(most[g], total - later)));
        QString group;
        for (int j = 0; j < size; ++j)
            group.append(QChar(char16_t(u'0' + random() % 10)));
        groups.append(group);
        total -= size;
    }
    return groups.join(u'-');
}

// Anything from a hostile alphabet, only digits (up to 19), or a standard
// number's shape with a check character at random.
QString randomText(std::mt19937& random)
{
    static const QString alphabet = QStringLiteral("0123456789-+xX ") + QString::fromUtf16(u"\u0660\uFF10\u00E9\U0001F600");
    const QString checks = QStringLiteral("0123456789X");
    const auto check = [&] { return QString(checks[qsizetype(random() % (random() % 2 ? 10 : 11))]); };
    QString text;
    const int length = int(random() % 20);
    switch (random() % 6) {
    case 0:
    case 1:
        for (int j = 0; j < length; ++j)
            text.append(alphabet[qsizetype(random() % alphabet.size())]);
        return text;
    case 2:
        return digitGroups(random, length, {length});
    case 3:
        return QStringLiteral("978-") + digitGroups(random, 9, {5, 7, 6}) + u'-' + check();
    case 4:
        return random() % 2 ? digitGroups(random, 9, {5, 7, 6}) + u'-' + check()
                            : QStringLiteral("979-0-") + digitGroups(random, 8, {7, 6}) + u'-' + check();
    default:
        return digitGroups(random, 4, {4}) + u'-' + digitGroups(random, 3, {3}) + check();
    }
}

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

TEST(RefusedContent, RandomTextsGetACodeOrTheRefusalTheirKindOwes)
{
    const QString mismatch = QStringLiteral("Invalid barcode provided. Check number does not match");
    const auto gtin = [&](auto create, const QString& text, const QString& name, int length, int modules, bool upcE) {
        SCOPED_TRACE(name.toStdString());
        const Answer rule = gtinRule(text, name, length, upcE);
        if (!rule.accepted)
            return expectAnswer(create(text), rule);
        // A well-formed content stands or falls by its last digit: exactly
        // one of the ten is the check digit.
        int checkDigits = 0;
        QString variant = text;
        for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
            variant[length - 1] = QChar(digit);
            checkDigits += create(variant).ok();
        }
        EXPECT_EQ(checkDigits, 1) << qPrintable(text);
        const Answer got = answerOf(create(text));
        expectAnswer(got, got.accepted ? Answer {true, text, modules} : Answer {false, mismatch});
    };
    const auto numbered = [&](auto create, const QString& text, const QString& title, const QList<QRegularExpression>& messages) {
        const Answer got = answerOf(create(text));
        if (!got.accepted) {
            EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [&](const QRegularExpression& shape) {
                return shape.match(got.text).hasMatch();
            })) << qPrintable(title) << qPrintable(text) << ": " << qPrintable(got.text);
            return false;
        }
        // What is accepted is an EAN-13 in its own right.
        const Answer ean = answerOf(BCEAN13Code::create(got.text));
        EXPECT_TRUE(ean.accepted && ean.modules == got.modules) << qPrintable(text);
        EXPECT_TRUE(create(text).value()->titleText().startsWith(title)) << qPrintable(text);
        return true;
    };
    const QList<QRegularExpression> ean13Messages = shapes({"%@ requires content to be 13 digits",
                                                            "%@ cannot encode '%@' at index %d",
                                                            "Invalid barcode provided. Check number does not match"});
    const QList<QRegularExpression> isbnMessages = ean13Messages + shapes({
        "The ISBN13 string does not have 13 characters", "The ISBN10 string does not have 10 characters",
        "The string is not a valid ISBN10 or ISBN13 string supported by %@",
        "Registrant Group '%@' is invalid, must be between 1 and 5 digits in length",
        "%@ '%lu' is invalid, must be between %lu and %lu",
        "Registrant '%@' is invalid, must be between 1 and 7 digits in length",
        "Publication '%@' is invalid, must be between 1 and 6 digits in length",
        "The check digit '%@' is not correct for this ISBN13 string",
        "Check digit '%@' is not correct for this ISBN10 string"});
    const QList<QRegularExpression> ismnMessages = ean13Messages + shapes({
        "The string is not a valid ISMN string supported by %@",
        "Issuer element '%@' and item element '%@' combined must consist of 8 digits in total",
        "Issuer element '%@' is invalid, must be <= 099 and >= 1000 and between 3 and 8 digits in length",
        "Item ID '%@' is invalid, must be between 2 and 6 digits in length",
        "The check digit '%@' is not correct for this ISMN string"});
    const QList<QRegularExpression> issnMessages = ean13Messages + shapes({
        "The string is not a valid ISSN string supported by %@",
        "%@ only supports 7 character ISSN strings, excluding the check digit",
        "%@ does not support alpha-numeric characters", "Check digit '%@' is not correct for this ISSN string"});

    std::mt19937 random(8);
    int accepted[3] = {};
    for (int i = 0; i < 3000; ++i) {
        const QString text = randomText(random);
        gtin([](const QString& t) { return BCEAN13Code::create(t); }, text, QStringLiteral("EAN-13"), 13, 95, false);
        gtin([](const QString& t) { return BCEAN8Code::create(t); }, text, QStringLiteral("EAN-8"), 8, 67, false);
        gtin([](const QString& t) { return BCUPCACode::create(t); }, text, QStringLiteral("UPC-A"), 12, 95, false);
        gtin([](const QString& t) { return BCUPCECode::create(t); }, text, QStringLiteral("UPC-E"), 8, 51, true);
        expectAnswer(BCEAN2SupplementCode::create(text), ean2Rule(text));
        expectAnswer(BCEAN5SupplementCode::create(text), ean5Rule(text));
        accepted[0] += numbered([](const QString& t) { return BCISBNCode::create(t); }, text, QStringLiteral("ISBN "), isbnMessages);
        accepted[1] += numbered([](const QString& t) { return BCISMNCode::create(t); }, text, QStringLiteral("ISMN "), ismnMessages);
        accepted[2] += numbered([](const QString& t) { return BCISSNCode::create(t); }, text, QStringLiteral("ISSN "), issnMessages);
        if (::testing::Test::HasFailure())
            return; // one text's report is enough
    }
    for (int count : accepted)
        EXPECT_GT(count, 0) << "the shaped texts reach every standard number's code";
}
