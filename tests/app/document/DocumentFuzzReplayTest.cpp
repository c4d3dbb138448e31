#include "fuzz/DocumentProbe.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace ql;

// Every seed of the document fuzzer and every input that ever crashed it,
// read, written, read back and drawn as the fuzz target does.
TEST(DocumentFuzzReplay, SeedsAndKeptInputsReadWriteAndDraw)
{
    const auto withoutGhostscript = probe::leaveOutGhostscript();
    int replayed = 0;
    int documents = 0;
    for (const char* folder : {"documents", "document-crashers"}) {
        const QDir dir(QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/fuzz/") + QLatin1String(folder));
        for (const QString& name : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
            documents += probe::probeDocument(file.readAll()) ? 1 : 0;
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 14);
    // The seeds are documents, every one of them.
    EXPECT_GE(documents, 14);
}
