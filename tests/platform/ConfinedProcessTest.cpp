// Helper programs run on a document's data see only their private folder and
// a bare environment, live under processor and memory limits, and stop at
// their time.
#include "platform/runtime/ConfinedProcess.h"
#include "support/EnvironmentChange.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using ql::ConfinedProcess;

TEST(ConfinedProcess, RunsInAPrivateFolderWithABareEnvironmentAndLimits)
{
    const ql::testing::EnvironmentChange secret("QUIVERLEAF_TEST_SECRET", "leaked");
    QString folder;
    {
        const ConfinedProcess confined;
        ASSERT_TRUE(confined.isValid()) << confined.errorString().toStdString();
        folder = confined.folderPath();
        EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, 0) << "only the owner may enter";
        ASSERT_TRUE(confined.writeFile(QStringLiteral("input"), "data").ok());
        const ConfinedProcess::Outcome shown = confined.run(
            QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("{ env; ulimit -t; ulimit -v; ls -A; pwd; } >&2")},
            std::chrono::seconds(5));
        ASSERT_TRUE(shown.succeeded()) << shown.messages.toStdString();
        const QStringList lines = shown.messages.split(QLatin1Char('\n'));
        for (const char* name : {"HOME", "TMPDIR", "TEMP", "TMP"})
            EXPECT_TRUE(lines.contains(QString::fromLatin1(name) + QLatin1Char('=') + folder)) << name;
        EXPECT_FALSE(shown.messages.contains(QLatin1String("QUIVERLEAF_TEST_SECRET")));
        EXPECT_TRUE(lines.contains(QStringLiteral("5"))) << "processor seconds as the time limit";
        EXPECT_TRUE(lines.contains(QStringLiteral("1048576"))) << "an address space of 1 GiB at the most";
        EXPECT_TRUE(lines.contains(QStringLiteral("input")) && lines.contains(folder));

        EXPECT_EQ(confined.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")},
                               std::chrono::milliseconds(300)).ending,
                  ConfinedProcess::Ending::TimedOut);
        const std::atomic<bool> cancelled {true};
        EXPECT_EQ(confined.run(QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, std::chrono::seconds(30), &cancelled)
                      .ending,
                  ConfinedProcess::Ending::Cancelled);
    }
    EXPECT_FALSE(QFileInfo::exists(folder)) << "the folder goes with the object";
}
