// Helper programs run on a document's data see only their private folder and
// a bare environment, live under a processor limit, and stop at their time.
#include "platform/runtime/ConfinedProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using ql::ConfinedProcess;

TEST(ConfinedProcess, RunsInAPrivateFolderWithABareEnvironmentAndLimits)
{
    // The shared temporary folder of this test alone, to see what is left.
    QTemporaryDir shared;
    const std::optional<QByteArray> oldTemp =
        qEnvironmentVariableIsSet("TMPDIR") ? std::optional(qgetenv("TMPDIR")) : std::nullopt;
    qputenv("TMPDIR", QFile::encodeName(shared.path()));
    qputenv("QUIVERLEAF_TEST_SECRET", "leaked");
    QString folder;
    {
        const ConfinedProcess confined;
        ASSERT_TRUE(confined.isValid()) << confined.errorString().toStdString();
        folder = confined.folderPath();
        EXPECT_TRUE(folder.startsWith(shared.path()));
        EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, 0) << "only the owner may enter";
        ASSERT_TRUE(confined.writeFile(QStringLiteral("input"), "data").ok());
        const ConfinedProcess::Outcome outcome = confined.run(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("env | sort >&2; ulimit -t >&2; ls -A >&2; pwd >&2")},
            std::chrono::seconds(5));
        ASSERT_TRUE(outcome.succeeded()) << outcome.messages.toStdString();
        const QStringList lines = outcome.messages.split(QLatin1Char('\n'));
        for (const char* name : {"HOME", "TMPDIR", "TEMP", "TMP"})
            EXPECT_TRUE(lines.contains(QString::fromLatin1(name) + QLatin1Char('=') + folder)) << name;
        EXPECT_FALSE(outcome.messages.contains(QLatin1String("QUIVERLEAF_TEST_SECRET")));
        EXPECT_FALSE(outcome.messages.contains(QLatin1String("DISPLAY=")));
        EXPECT_TRUE(lines.contains(QStringLiteral("5"))) << "processor seconds as the time limit";
        EXPECT_TRUE(lines.contains(QStringLiteral("input")));
        EXPECT_TRUE(lines.contains(folder));

        // A program that would run on is stopped at its time.
        const ConfinedProcess::Outcome endless =
            confined.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")},
                         std::chrono::milliseconds(300));
        EXPECT_EQ(endless.ending, ConfinedProcess::Ending::TimedOut);
        const std::atomic<bool> cancelled {true};
        EXPECT_EQ(confined.run(QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, std::chrono::seconds(30), &cancelled)
                      .ending,
                  ConfinedProcess::Ending::Cancelled);
        EXPECT_EQ(confined.run(QStringLiteral("/no/such/program"), {}, std::chrono::seconds(1)).ending,
                  ConfinedProcess::Ending::NotStarted);
    }
    EXPECT_FALSE(QFileInfo::exists(folder)) << "the folder goes with the run";
    EXPECT_TRUE(QDir(shared.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    qunsetenv("QUIVERLEAF_TEST_SECRET");
    if (oldTemp)
        qputenv("TMPDIR", *oldTemp);
    else
        qunsetenv("TMPDIR");
}
