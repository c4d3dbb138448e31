// A sanitized test run (scripts/test asan) lets the hyphenation library's
// own losses pass and still fails on a fault of ours: a child of this suite
// loads German and French patterns, then leaks or overruns a block.
#include "content/text/Hyphenator.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

using ql::text::Hyphenator;

namespace {

const char* const kFaultVariable = "QUIVERLEAF_SANITIZER_FAULT";
constexpr int kLeakedBytes = 77;

// What the sanitizers said of a child that loads patterns, then commits
// `fault`, and whether it ended well.
struct ChildRun {
    int exitCode = 0;
    QString report;
};

ChildRun runChild(const QString& fault)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kFaultVariable), fault);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=SanitizedRunChild.LoadsPatternsThenCommitsAFault")});
    if (!child.waitForFinished(240000))
        return {-1, QStringLiteral("the child did not end")};
    return {child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1,
            QString::fromUtf8(child.readAllStandardError())};
}

[[gnu::noinline]] void leakABlock()
{
    [[maybe_unused]] static char* volatile lost;
    lost = new char[kLeakedBytes];
    lost = nullptr;
}

[[gnu::noinline]] int readPastABlock()
{
    auto* volatile block = new char[kLeakedBytes];
    const int past = block[kLeakedBytes];
    delete[] block;
    return past;
}

} // namespace

TEST(SanitizedRun, AFaultOfOursStillFailsBesideTheLibrarysOwnLosses)
{
#ifndef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "a build without AddressSanitizer reports nothing";
#endif
    const ChildRun leak = runChild(QStringLiteral("leak"));
    EXPECT_NE(leak.exitCode, 0);
    // Our block alone: the patterns' losses are suppressed.
    EXPECT_TRUE(leak.report.contains(
        QStringLiteral("SUMMARY: AddressSanitizer: %1 byte(s) leaked in 1 allocation(s).").arg(kLeakedBytes)))
        << leak.report.toStdString();
    EXPECT_TRUE(leak.report.contains(QStringLiteral("leakABlock"))) << leak.report.toStdString();

    const ChildRun overflow = runChild(QStringLiteral("overflow"));
    EXPECT_NE(overflow.exitCode, 0);
    EXPECT_TRUE(overflow.report.contains(QStringLiteral("ERROR: AddressSanitizer: heap-buffer-overflow")))
        << overflow.report.toStdString();
}

// Run only as the child of the test above.
TEST(SanitizedRunChild, LoadsPatternsThenCommitsAFault)
{
    const QByteArray fault = qgetenv(kFaultVariable);
    if (fault.isEmpty())
        GTEST_SKIP() << "run by SanitizedRun only";
    {
        Hyphenator hyphenator(QStringLiteral("/usr/share/hyphen"));
        for (const char* language : {"de", "fr"})
            hyphenator.hyphenationPoints(u"Silbentrennungsmuster", [language](qsizetype) {
                return QString::fromLatin1(language);
            });
    }
    if (fault == "leak") {
        leakABlock();
    } else if (fault == "overflow") {
        EXPECT_GE(readPastABlock(), -128);
    }
}
