#include "ArchiveTestSupport.h"
#include "fuzz/ArchiveProbe.h"

#include <QDir>

using namespace ql;

using ql::test::runRoundTrip;
using ql::test::ToolRun;

TEST(ArchiveToolTest, RoundTripsArchivesAndReportsBadInputInOneLine)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("values.plist"));
    const QString first = dir.filePath(QStringLiteral("first.plist"));
    const QString second = dir.filePath(QStringLiteral("second.plist"));
    test::writeFile(source, test::pythonFixture(QStringLiteral("values")));

    ASSERT_EQ(runRoundTrip(source, first).exitCode, 0);
    ASSERT_EQ(runRoundTrip(first, second).exitCode, 0);
    // What we write, we read back and write again identically; plistlib reads it.
    EXPECT_EQ(test::readFile(first), test::readFile(second));
    EXPECT_EQ(test::describe(test::readFile(first))[QStringLiteral("$archiver")].toString(), QStringLiteral("NSKeyedArchiver"));

    const QString bad = dir.filePath(QStringLiteral("bad.plist"));
    QByteArray truncated = test::readFile(first);
    truncated.chop(40);
    test::writeFile(bad, truncated);
    const ToolRun refused = runRoundTrip(bad, dir.filePath(QStringLiteral("never.plist")));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errorOutput.startsWith("archive-roundtrip: ")) << refused.errorOutput.toStdString();
    EXPECT_EQ(refused.errorOutput.count('\n'), 1) << refused.errorOutput.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("never.plist"))));
    EXPECT_EQ(runRoundTrip(dir.filePath(QStringLiteral("missing.plist")), second).exitCode, 1);
}

// Every seed and every input that ever crashed the fuzz target, replayed.
TEST(ArchiveToolTest, FuzzCorpusAndCrashersReplayCleanly)
{
    const int liveBefore = probe::Node::live;
    int replayed = 0;
    for (const char* folder : {"corpus", "crashers"}) {
        const QDir dir(QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/fuzz/") + QLatin1String(folder));
        for (const QString& name : dir.entryList(QDir::Files)) {
            probe::probeArchive(test::readFile(dir.filePath(name)));
            EXPECT_EQ(probe::Node::live, liveBefore) << name.toStdString();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 5);
}

// The archive fuzzer's first find: a top-level entry whose key a mutation
// turned into a second "text" (first entry object 56, last object 26, which
// is no record). Every look-up, and the list of keys, takes the last entry,
// so the archive is refused however it is read.
TEST(ArchiveToolTest, ARepeatedKeyDecodesAsItsLastEntry)
{
    const QByteArray crasher = test::readFile(QStringLiteral(QUIVERLEAF_SOURCE_DIR
                                                             "/tests/fuzz/crashers/crash-ed163927ab80495f77625895a6cb8e985c59e2b7"));
    ASSERT_FALSE(crasher.isEmpty());
    KeyedUnarchiver unarchiver(probe::registry());
    ASSERT_TRUE(unarchiver.open(crasher).ok());
    EXPECT_EQ(unarchiver.allKeys().count(QStringLiteral("text")), 1);
    EXPECT_TRUE(unarchiver.containsValueForKey(QStringLiteral("text")));
    EXPECT_FALSE(unarchiver.decodeAny(QStringLiteral("text")).isValid());
    ASSERT_TRUE(unarchiver.failed());
    EXPECT_TRUE(unarchiver.error().message.contains(QStringLiteral("Object 26 "))) << unarchiver.error().message.toStdString();

    EXPECT_FALSE(reencodeArchive(crasher, probe::registry()).ok());
}
