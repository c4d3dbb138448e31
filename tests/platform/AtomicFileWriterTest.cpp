#include "platform/runtime/AtomicFileWriter.h"
#include "support/SpecialFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(AtomicFileWriter, ReplacesTheWholeFileAndKeepsItsPermissions)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("doc.qvleaf"));

    ASSERT_TRUE(ql::writeFileAtomically(path, "first version, rather long"));
    EXPECT_EQ(fileContents(path), QByteArray("first version, rather long"));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << "a new file gets the usual permissions, not a temporary file's";

    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(ql::writeFileAtomically(path, "second"));
    EXPECT_EQ(fileContents(path), QByteArray("second"));
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("doc.qvleaf")})
        << "no temporary file is left behind";
}

TEST(AtomicFileWriter, FailureLeavesTheOldFileAndSaysWhy)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("doc.qvleaf"));
    ASSERT_TRUE(ql::writeFileAtomically(path, "old"));

    ql::Status intoMissingFolder = ql::writeFileAtomically(folder.filePath(QStringLiteral("no/such/doc.qvleaf")), "x");
    ASSERT_FALSE(intoMissingFolder.ok());
    EXPECT_TRUE(intoMissingFolder.error().message.contains(QStringLiteral("doc.qvleaf")));

    ql::Status overFolder = ql::writeFileAtomically(folder.path(), "x");
    EXPECT_FALSE(overFolder.ok());

    if (::geteuid() != 0) { // root writes into read-only folders anyway
        ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0500), 0);
        EXPECT_FALSE(ql::writeFileAtomically(path, "new").ok());
        ::chmod(QFile::encodeName(folder.path()).constData(), 0700);
    }
    EXPECT_EQ(fileContents(path), QByteArray("old"));
}

// A pipe or socket stands for a device here: a link is followed only onto a
// regular file, and anything else at the target is refused and left as it was.
TEST(AtomicFileWriter, WritesThroughLinksOnlyOntoRegularFiles)
{
    QTemporaryDir folder;
    const QString pipe = folder.filePath(QStringLiteral("pipe"));
    const QString socket = folder.filePath(QStringLiteral("socket"));
    const QString linkToPipe = folder.filePath(QStringLiteral("picture.png"));
    ASSERT_TRUE(ql::testing::makeFifo(pipe));
    ASSERT_TRUE(ql::testing::makeSocket(socket));
    ASSERT_TRUE(QFile::link(pipe, linkToPipe));
    for (const QString& target : {pipe, socket, linkToPipe}) {
        const ql::Status written = ql::writeFileAtomically(target, "x");
        ASSERT_FALSE(written.ok()) << target.toStdString();
        EXPECT_TRUE(written.error().message.contains(QFileInfo(target).fileName())) << written.error().message.toStdString();
        EXPECT_TRUE(written.error().message.contains(QStringLiteral("regular file")))
            << written.error().message.toStdString();
    }
    EXPECT_TRUE(ql::testing::isFifo(pipe));
    EXPECT_TRUE(ql::testing::isSocket(socket));
    EXPECT_EQ(QFileInfo(linkToPipe).symLinkTarget(), pipe);

    const QString document = folder.filePath(QStringLiteral("doc.qvleaf"));
    const QString linkToDocument = folder.filePath(QStringLiteral("link.qvleaf"));
    ASSERT_TRUE(ql::writeFileAtomically(document, "old"));
    ASSERT_TRUE(QFile::link(document, linkToDocument));
    ASSERT_TRUE(ql::writeFileAtomically(linkToDocument, "new"));
    EXPECT_EQ(fileContents(document), QByteArray("new"));
    EXPECT_EQ(QFileInfo(linkToDocument).symLinkTarget(), document);
}
