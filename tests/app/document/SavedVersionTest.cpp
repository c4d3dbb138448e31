#include "app/document/SavedVersion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

// A link where the folder of kept copies belongs (planted, or left by a
// restore) is replaced by a private folder of our own; what it named keeps
// its mode and receives nothing.
TEST(SavedVersion, AFolderThatIsALinkIsReplacedNotFollowed)
{
    QTemporaryDir elsewhere;
    const QByteArray target = QFile::encodeName(elsewhere.path());
    ASSERT_EQ(::chmod(target.constData(), 0755), 0);
    const QString where = ql::SavedVersion::folder();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(where).absolutePath()));
    QDir(where).removeRecursively();
    QFile::remove(where);
    ASSERT_TRUE(QFile::link(elsewhere.path(), where));

    ql::SavedVersion version;
    ASSERT_TRUE(version.keep("the bytes as saved"));
    EXPECT_EQ(version.read().value(), QByteArray("the bytes as saved"));
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(where).constData(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(target.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

// A file where the folder of kept copies, or a folder above it, belongs is
// named as what stands in the way, and left as it is.
TEST(SavedVersion, AFileWhereItsFolderBelongsIsSaidToStandInTheWay)
{
    const QString where = ql::SavedVersion::folder();
    const QString above = QFileInfo(where).absolutePath();
    for (const QString& file : {where, above}) {
        QDir(file).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
        QFile planted(file);
        ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
        planted.write("not a folder");
        planted.close();

        ql::SavedVersion version;
        const ql::Status kept = version.keep("the bytes as saved");
        ASSERT_FALSE(kept);
        EXPECT_EQ(kept.error().message, QStringLiteral("The folder “%1” could not be made: A file stands where a "
                                                       "folder should be.")
                                            .arg(where));
        EXPECT_FALSE(version.isKept());
        EXPECT_TRUE(QFileInfo(file).isFile());
        ASSERT_TRUE(QFile::remove(file));
    }
}
