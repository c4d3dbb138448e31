// The symbologies no decoder here reads (Code 11, Standard 2 of 5, MSI,
// POSTNET, Pharmacode, FIM) against zint's bar pattern for the same content.
// zint dumps a symbol's module rows as hexadecimal; bars and spaces are
// compared as run lengths, or as narrow/wide classes where the two follow the
// same rule with other widths.
#include "BarcodeTesting.h"

#include "codes/barcodes/BCCode11Code.h"
#include "codes/barcodes/BCFacingIdentificationMarkCode.h"
#include "codes/barcodes/BCMSICode.h"
#include "codes/barcodes/BCPOSTNETCode.h"
#include "codes/barcodes/BCPharmacodeOneTrack.h"
#include "codes/barcodes/BCStandard2of5Code.h"

#include <QProcess>
#include <random>

using namespace barcodetest;
using namespace ql;

namespace {

// zint's module rows for a symbol ("1" bar, "0" space), trailing spaces dropped.
QStringList zintRows(const QStringList& arguments)
{
    QProcess zint;
    QStringList all = QStringList{"--dump"} + arguments;
    all.removeAll(QStringLiteral("--vers=0")); // zint's default, which it warns about when given
    zint.start(QStringLiteral("zint"), all);
    EXPECT_TRUE(zint.waitForFinished(10000)) << "zint must be installed (scripts/bootstrap)";
    EXPECT_EQ(zint.exitCode(), 0) << arguments.join(u' ').toStdString() << ": " << zint.readAllStandardError().toStdString();
    QStringList rows;
    for (const QString& line : QString::fromLatin1(zint.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        QString bits;
        for (QChar hex : line) {
            if (hex.isSpace())
                continue;
            bits += QStringLiteral("%1").arg(QString::number(hex.toLatin1() <= '9' ? hex.toLatin1() - '0' : hex.toLower().toLatin1() - 'a' + 10, 2), 4, QLatin1Char('0'));
        }
        while (bits.endsWith(u'0'))
            bits.chop(1);
        rows << bits;
    }
    return rows;
}

// Our bars as a row: any bar is "1".
QString row(const BCCode& code)
{
    QString bits = bars(code);
    bits.replace(u',', u'1');
    while (bits.endsWith(u'0'))
        bits.chop(1);
    return bits;
}

std::vector<int> runs(const QString& bits)
{
    std::vector<int> lengths;
    for (qsizetype i = 0; i < bits.size(); ++i) {
        if (i == 0 || bits[i] != bits[i - 1])
            lengths.push_back(0);
        ++lengths.back();
    }
    return lengths;
}

// Bars only, each as N (narrowest) or W (wider).
QString barClasses(const QString& bits)
{
    const std::vector<int> lengths = runs(bits);
    int narrowest = INT_MAX;
    for (size_t i = 0; i < lengths.size(); i += 2)
        narrowest = std::min(narrowest, lengths[i]);
    QString classes;
    for (size_t i = 0; i < lengths.size(); i += 2)
        classes += lengths[i] == narrowest ? u'N' : u'W';
    return classes;
}

QString randomDigits(std::mt19937& random, int minLength, int maxLength)
{
    QString digits;
    const int length = minLength + int(random() % unsigned(maxLength - minLength + 1));
    for (int i = 0; i < length; ++i)
        digits.append(QChar(u'0' + int(random() % 10)));
    return digits;
}

constexpr int Samples = 25;

} // namespace

TEST(ZintComparison, Code11RunLengthsMatch)
{
    std::mt19937 random(11);
    for (int i = 0; i < Samples; ++i) {
        QString content = randomDigits(random, 1, 14);
        if (i % 3 == 0)
            content.insert(int(random() % unsigned(content.size())), u'-');
        // zint writes two check characters unless told to write one; ours writes K from ten characters on.
        const QString checks = content.size() >= 10 ? "--vers=0" : "--vers=1";
        EXPECT_EQ(row(*made<BCCode11Code>(content)), zintRows({"-b", "1", checks, "-d", content}).value(0)) << content.toStdString();
    }
}

TEST(ZintComparison, Standard2of5DigitsMatchWithOurStartAndStop)
{
    std::mt19937 random(25);
    for (int i = 0; i < Samples; ++i) {
        const QString content = randomDigits(random, 1, 12);
        const bool check = i % 2 == 1;
        const QString ours = barClasses(row(*made<BCStandard2of5Code>(content, check)));
        const QString theirs = barClasses(zintRows({"-b", "7", check ? "--vers=1" : "--vers=0", "-d", content}).value(0));
        // Same five bars per digit; the start and stop (three bars each) have other proportions.
        EXPECT_EQ(ours.mid(3, ours.size() - 6), theirs.mid(3, theirs.size() - 6)) << content.toStdString();
        EXPECT_EQ(ours.left(3), "WWN");
        EXPECT_EQ(ours.right(3), "WNW");
    }
}

TEST(ZintComparison, MSIRunLengthsMatchForEveryScheme)
{
    // Our scheme numbers against zint's: none, mod 10, mod 11, mod 10/10, mod 11/10.
    const std::pair<BCMSICodeCheckDigitScheme, const char*> schemes[] = {
        {BCMSICodeCheckDigitScheme::None, "0"},  {BCMSICodeCheckDigitScheme::Mod10, "1"},
        {BCMSICodeCheckDigitScheme::Mod11, "3"}, {BCMSICodeCheckDigitScheme::Mod1010, "2"},
        {BCMSICodeCheckDigitScheme::Mod1110, "4"},
    };
    std::mt19937 random(47);
    int compared = 0;
    for (int i = 0; i < Samples * 2; ++i) {
        const QString content = randomDigits(random, 1, 15);
        const auto& [scheme, zintScheme] = schemes[i % 5];
        auto code = BCMSICode::create(content, scheme);
        if (!code) // a modulo-11 check of 10, which we refuse
            continue;
        EXPECT_EQ(row(**code), zintRows({"-b", "47", QStringLiteral("--vers=%1").arg(zintScheme), "-d", content}).value(0))
            << content.toStdString() << " scheme " << zintScheme;
        ++compared;
    }
    EXPECT_GT(compared, Samples);
}

TEST(ZintComparison, POSTNETTallAndShortBarsMatch)
{
    std::mt19937 random(5);
    for (int i = 0; i < Samples; ++i) {
        const QString content = randomDigits(random, QList<int>{5, 9, 11}[i % 3], QList<int>{5, 9, 11}[i % 3]);
        const QStringList theirs = zintRows({"-b", "40", "-d", content});
        ASSERT_EQ(theirs.size(), 2);
        QString tall = bars(*made<BCPOSTNETCode>(content));
        tall.replace(u',', u'0');
        while (tall.endsWith(u'0'))
            tall.chop(1);
        EXPECT_EQ(tall, theirs[0]) << content.toStdString();
        EXPECT_EQ(row(*made<BCPOSTNETCode>(content)), theirs[1]) << content.toStdString();
    }
}

TEST(ZintComparison, PharmacodeBarsMatchInOrder)
{
    std::mt19937 random(3);
    for (int i = 0; i < Samples; ++i) {
        const QString content = QString::number(3 + random() % 131068);
        // Both write the same narrow and wide bars in the same order; ours
        // are 2 and 4 modules wide, zint's 1 and 3.
        EXPECT_EQ(barClasses(row(*made<BCPharmacodeOneTrack>(content))), barClasses(zintRows({"-b", "51", "-d", content}).value(0)))
            << content.toStdString();
    }
    // Sixteen wide bars of 4 modules with spaces of 2.
    std::vector<int> sixteenWide(31, 2);
    for (size_t bar = 0; bar < sixteenWide.size(); bar += 2)
        sixteenWide[bar] = 4;
    EXPECT_EQ(runs(row(*made<BCPharmacodeOneTrack>("131070"))), sixteenWide);
}

TEST(ZintComparison, FacingIdentificationMarksMatch)
{
    for (const char* type : {"A", "B", "C", "D", "E"})
        EXPECT_EQ(row(*made<BCFacingIdentificationMarkCode>(type)), zintRows({"-b", "49", "-d", type}).value(0)) << type;
}
