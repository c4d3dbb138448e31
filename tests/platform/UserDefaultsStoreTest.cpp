// The store shared by running copies of the program, and stores it cannot
// read: what one copy sets survives the other's changes, and damaged bytes
// are kept before anything replaces them.
#include "platform/runtime/UserDefaults.h"
#include "support/KeptWarnings.h"
#include "support/SpecialFiles.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A store as written, with one value as `write` puts it after the key.
QByteArray storeOf(const std::function<void(QDataStream&)>& value)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << QByteArray("QLDEFAULTS1") << quint32(1) << QStringLiteral("value");
    value(stream);
    return bytes;
}

} // namespace

TEST(UserDefaultsStore, TwoRunningCopiesKeepEveryKeyTheyBothSet)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    constexpr int kKeys = 150;
    QProcess copies[2];
    for (int i = 0; i < 2; ++i)
        copies[i].start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/defaults-writer"),
                        {store, QStringLiteral("copy%1").arg(i), QString::number(kKeys)});
    for (QProcess& copy : copies) {
        ASSERT_TRUE(copy.waitForFinished(120000));
        EXPECT_EQ(copy.exitCode(), 0) << copy.readAllStandardError().toStdString();
    }
    const ql::UserDefaults read(store);
    int kept = 0;
    for (int i = 0; i < 2; ++i)
        for (int key = 0; key < kKeys; ++key)
            kept += read.objectForKey(QStringLiteral("copy%1-%2").arg(i).arg(key)) == key;
    EXPECT_EQ(kept, 2 * kKeys);
}

TEST(UserDefaultsStore, APipeWhereTheLockBelongsNeitherBlocksNorIsReplaced)
{
    using namespace std::chrono_literals;
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    const QString lock = store + QStringLiteral(".lock");
    ASSERT_TRUE(ql::testing::makeFifo(lock));
    const ql::testing::KeptWarnings warnings;
    const auto change = [&] {
        ql::UserDefaults defaults(store);
        defaults.setInteger(QStringLiteral("unitsType"), 1);
        defaults.setInteger(QStringLiteral("defaultMargins"), 18);
    };
    ASSERT_TRUE(ql::testing::returnsWithin(5s, change, lock)) << "the store waited on the pipe";
    EXPECT_TRUE(ql::testing::isFifo(lock));
    EXPECT_EQ(warnings.count(lock), 1) << warnings.all();
    EXPECT_EQ(ql::UserDefaults(store).integerForKey(QStringLiteral("defaultMargins")), 18) << "the changes are kept";
}

// Each store the program cannot read, damaged in one of the ways files are,
// is kept under its own name before the start's first change replaces it.
TEST(UserDefaultsStore, AStoreThatCannotBeReadIsKeptBeforeItIsReplaced)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    {
        ql::UserDefaults defaults(store);
        defaults.setObject(QStringLiteral("recentDocuments"), QStringList {QStringLiteral("/a\n.qvleaf")});
        defaults.setInteger(QStringLiteral("unitsType"), 2);
    }
    const QByteArray sound = contents(store);
    ASSERT_TRUE(sound.contains('\n'));
    const QList<QByteArray> damaged {
        sound.chopped(1),
        QByteArray("\xEF\xBB\xBF") + sound,
        QByteArray(sound).replace("\n", "\r\n"),
        storeOf([](QDataStream& s) { s << quint32(QMetaType::User) << qint8(0) << QByteArray("ZVNewerKind") << 1; }),
        storeOf([](QDataStream& s) { s << quint32(QMetaType::QString) << qint8(0) << quint32(3) << quint16(65); }),
        QByteArray("{\"unitsType\": 2}\n"),
    };
    QStringList kept;
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(kept.size());
        write(store, bytes);
        const ql::testing::KeptWarnings warnings;
        ql::UserDefaults defaults(store);
        EXPECT_FALSE(defaults.objectForKey(QStringLiteral("unitsType")).isValid());
        defaults.setBool(QStringLiteral("editMode"), false);
        EXPECT_TRUE(ql::UserDefaults(store).hasStoredValue(QStringLiteral("editMode"))) << "a fresh store";

        const QStringList copies = QDir(dir.path()).entryList({QStringLiteral("*damaged*")}, QDir::Files);
        ASSERT_EQ(copies.size(), kept.size() + 1) << copies.join(' ').toStdString();
        for (const QString& copy : copies)
            if (!kept.contains(copy)) {
                EXPECT_EQ(contents(dir.filePath(copy)), bytes);
                EXPECT_EQ(warnings.count(dir.filePath(copy)), 1) << warnings.all();
                kept << copy;
            }
    }
}
