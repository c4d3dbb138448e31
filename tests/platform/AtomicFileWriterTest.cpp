#include "platform/runtime/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
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
