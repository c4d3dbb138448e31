// A program killed at any moment of a save must leave a whole document behind:
// the one from before the save or the one it was writing, never a damaged one.
#include "app/document/Document.h"
#include "DocumentTestSupport.h"
#include "tools/document-save-loop/LargeDocument.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>
#include <random>

using namespace ql;

namespace {

const QString kTool = QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/document-save-loop");

// Reads the file as the program would open it; the notes say which version.
::testing::AssertionResult readsAsWholeDocument(const QString& path)
{
    const QByteArray data = ql::testing::fileContents(path);
    Document document;
    const Status status = document.readFromData(data, kDesktopDocumentType);
    if (!status)
        return ::testing::AssertionFailure() << status.error().describe().toStdString();
    if (!document.notes().string().startsWith(QStringLiteral("version ")) || document.notes().length() < 1000000)
        return ::testing::AssertionFailure() << "the notes are not those of a whole version";
    if (document.contentPages().size() != ql::tools::kLargeDocumentPages)
        return ::testing::AssertionFailure() << "the pages are not those of a whole version";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(KillDuringSave, EveryKillLeavesTheOldOrTheNewFileReadable)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("large.qvleaf"));
    ASSERT_EQ(QProcess::execute(kTool, {path, QStringLiteral("--once")}), 0);
    ASSERT_TRUE(readsAsWholeDocument(path));

    const unsigned seed = std::random_device {}();
    SCOPED_TRACE(::testing::Message() << "random seed " << seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, 600);
    int killsDuringSave = 0;
    constexpr int kKills = 50;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess saver;
        saver.setProgram(kTool);
        saver.setArguments({path});
        saver.start();
        ASSERT_TRUE(saver.waitForStarted());
        // The delay counts from the first save: on a busy machine building
        // the document alone can outlast it, and a kill then proves nothing.
        QByteArray output;
        while (!output.contains("saving") && saver.waitForReadyRead(60000))
            output += saver.readAllStandardOutput();
        ASSERT_TRUE(output.contains("saving")) << "the saver never began a save";
        QThread::msleep(delay(random));
        ASSERT_EQ(::kill(pid_t(saver.processId()), SIGKILL), 0) << "the saver ended before it was killed";
        saver.waitForFinished();

        ASSERT_TRUE(readsAsWholeDocument(path)) << "after kill " << kill;
        output += saver.readAllStandardOutput();
        const QList<QByteArray> lines = output.trimmed().split('\n');
        if (lines.last().startsWith("saving"))
            ++killsDuringSave;
        // A temporary file left by the kill never replaces the document; clear
        // it away so that the folder does not fill up.
        for (const QString& name : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden))
            if (name != QStringLiteral("large.qvleaf"))
                QFile::remove(folder.filePath(name));
    }
    EXPECT_GT(killsDuringSave, kKills / 4) << "too few kills came while a save was under way";
    RecordProperty("killsDuringSave", killsDuringSave);
}
