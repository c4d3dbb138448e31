// The store shared by running copies of the program, and stores it cannot
// read: what one copy sets survives the other's changes, and damaged bytes
// are kept before anything replaces them.
#include "platform/runtime/HeldSettings.h"
#include "platform/runtime/UninterruptedWrite.h"
#include "platform/runtime/UserDefaults.h"
#include "support/HeldLock.h"
#include "support/KeptWarnings.h"
#include "support/SpecialFiles.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Copies writing in bursts hold the lock for milliseconds at a time: none
// of them waits out the whole bound for a moment when it is free.
TEST(UserDefaultsStore, RunningCopiesKeepEveryKeyTheySetAndNoneWaitsOutTheLock)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    constexpr int kCopies = 3;
    constexpr int kKeys = 300;
    QProcess copies[kCopies];
    for (int i = 0; i < kCopies; ++i)
        copies[i].start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/defaults-writer"),
                        {store, QStringLiteral("copy%1").arg(i), QString::number(kKeys)});
    for (QProcess& copy : copies) {
        ASSERT_TRUE(copy.waitForFinished(120000));
        const QString said = QString::fromUtf8(copy.readAllStandardError());
        EXPECT_EQ(copy.exitCode(), 0) << said.toStdString();
        EXPECT_FALSE(said.contains(QStringLiteral("stayed locked"))) << said.toStdString();
    }
    const ql::UserDefaults read(store);
    int kept = 0;
    for (int i = 0; i < kCopies; ++i)
        for (int key = 0; key < kKeys; ++key)
            kept += read.objectForKey(QStringLiteral("copy%1-%2").arg(i).arg(key)) == key;
    EXPECT_EQ(kept, kCopies * kKeys);
}

// Another program keeps the lock across a session: its first change waits
// once, the rest are kept beside the store without waiting, and the next
// change once the lock is free lays them all over the store.
TEST(UserDefaultsStore, ALockHeldElsewhereStallsOneChangeAndLosesNone)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    ql::testing::HeldLock other(store + QStringLiteral(".lock"));
    ASSERT_TRUE(other.isHeld());
    write(store, "damaged, kept aside first");
    const ql::testing::KeptWarnings warnings;
    const auto key = [](int i) { return QStringLiteral("change%1").arg(i); };
    {
        QElapsedTimer session;
        session.start();
        ql::UserDefaults defaults(store);
        for (int i = 0; i < 10; ++i)
            defaults.setInteger(key(i), i);
        EXPECT_LT(session.elapsed(), 2 * ql::UserDefaults::kLockWait.count()) << "one wait, not one per change";
    }
    EXPECT_EQ(warnings.count(QStringLiteral("without their lock")), 0) << warnings.all();
    EXPECT_EQ(warnings.count(QStringLiteral("They are kept in “")), 1) << warnings.all();
    EXPECT_EQ(contents(store + QStringLiteral(".damaged")), "damaged, kept aside first");

    ql::UserDefaults defaults(store);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(defaults.objectForKey(key(i)), i) << i;
    defaults.setInteger(key(10), 10);
    other.release();
    defaults.setInteger(key(11), 11);
    EXPECT_EQ(ql::UserDefaults(store).objectForKey(key(10)), 10);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.held-*")}), QStringList()) << "all laid over the store";
    EXPECT_EQ(warnings.count(QStringLiteral("Changes are lost")), 0) << warnings.all();
}

// Another program holds the lock, has read the store, and renames what it
// read over it after this copy quits, as a copy stuck inside its write does
// once it goes on: the next start has every change this copy made, the
// later of two changes of one key, and the log said where they were.
TEST(UserDefaultsStore, AHolderWritingWhatItReadAfterThisCopyQuitsLosesNoChange)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    const auto key = [](int i) { return QStringLiteral("change%1").arg(i); };
    ql::UserDefaults(store).setInteger(key(0), -1);
    ql::testing::HeldLock other(store + QStringLiteral(".lock"), store);
    ASSERT_TRUE(other.isHeld());
    const ql::testing::KeptWarnings warnings;
    {
        ql::UserDefaults defaults(store);
        for (int i = 0; i < 12; ++i)
            defaults.setInteger(key(i), i);
        defaults.setInteger(key(1), 100);
        defaults.removeObjectForKey(key(2));
    }
    other.release();
    const QRegularExpressionMatch kept = QRegularExpression(QStringLiteral("kept in “([^”]+)”")).match(
        QString::fromStdString(warnings.all()));
    const bool saidWhere = kept.hasMatch() && QFileInfo::exists(kept.captured(1));

    const ql::UserDefaults next(store);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(next.objectForKey(key(i)), i == 1 ? QVariant(100) : i == 2 ? QVariant() : QVariant(i)) << i;
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.held-*")}), QStringList());
    EXPECT_EQ(ql::UserDefaults(store).objectForKey(key(11)), 11) << "in the store itself";
    EXPECT_TRUE(saidWhere) << warnings.all();
    EXPECT_EQ(warnings.count(QStringLiteral("were saved")), 0) << warnings.all();
}

// A signal that would end the program while a change is written ends it
// once the change is whole.
TEST(UserDefaultsStore, ASignalDuringAWriteEndsTheProgramOnceTheWriteIsWhole)
{
    QTemporaryDir dir;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        const QByteArray file = QFile::encodeName(dir.filePath(QString::number(signal)));
        const pid_t child = ::fork();
        if (child == 0) {
            // Only what is safe in the child of a program with threads.
            {
                const ql::UninterruptedWrite writing;
                ::raise(signal);
                const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
                if (fd >= 0 && ::write(fd, "whole", 5) == 5)
                    ::close(fd);
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(contents(QFile::decodeName(file)), QByteArray("whole"));
    }
}

// A signal that comes once a change has the lock, while the store is read
// to lay the change over it, ends the program once the change is in.
TEST(UserDefaultsStore, ASignalWhileTheStoreIsReadForAChangeLosesNoChange)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    // Large enough that reading it takes a moment to stop the copy in.
    ql::UserDefaults(store).setObject(QStringLiteral("large"), QByteArray(24 << 20, 'x'));
    const auto opened = [](qint64 pid) {
        QStringList files;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            files << QFile::symLinkTarget(fds.filePath(fd));
        return files;
    };
    const auto written = [&] {
        struct stat info {};
        return ::stat(QFile::encodeName(store).constData(), &info) == 0 ? info.st_ino : 0;
    };
    // Holding the lock, the store not yet replaced nor being written (that
    // goes through a file without a name).
    const auto reading = [&](qint64 pid, ino_t before) {
        const QStringList files = opened(pid);
        return files.contains(store + QStringLiteral(".lock")) && files.filter(QStringLiteral("/#")).isEmpty()
               && written() == before;
    };
    for (int attempt = 0; attempt < 20; ++attempt) {
        QProcess copy;
        copy.setChildProcessModifier([] { std::signal(SIGTERM, SIG_DFL); });
        const QString key = QStringLiteral("attempt%1").arg(attempt);
        const ino_t before = written();
        copy.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/defaults-writer"), {store, key, QStringLiteral("1")});
        ASSERT_TRUE(copy.waitForStarted());
        const qint64 pid = copy.processId();
        while (!reading(pid, before) && !opened(pid).isEmpty()) {
        }
        ::kill(pid_t(pid), SIGSTOP);
        const bool caught = reading(pid, before);
        if (caught)
            ::kill(pid_t(pid), SIGTERM);
        ::kill(pid_t(pid), SIGCONT);
        ASSERT_TRUE(copy.waitForFinished(30000));
        if (!caught)
            continue;
        EXPECT_EQ(copy.exitStatus(), QProcess::CrashExit) << "ended by the signal";
        EXPECT_TRUE(ql::UserDefaults(store).hasStoredValue(key + QStringLiteral("-0"))) << "the change is in";
        return;
    }
    FAIL() << "the copy was never caught reading the store";
}

// A copy killed while it keeps changes beside the store leaves a part-made
// file: the next write under the lock removes it, but not one a running
// copy, or one that may be, is still writing.
TEST(UserDefaultsStore, APartMadeFileOfAnEndedCopyIsRemoved)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const auto part = [&](qint64 pid, int number, int ageInSeconds) {
        const QString path = QStringLiteral("%1.held-%2-%3.part").arg(store).arg(pid).arg(number);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write("cut short") > 0 && file.flush()
                    && file.setFileTime(QDateTime::currentDateTime().addSecs(-ageInSeconds),
                                        QFileDevice::FileModificationTime));
        return path;
    };
    const QString abandoned = part(ended, 1, 3600);
    const QString running = part(::getpid(), 1, 3600);
    const QString begun = part(ended, 2, 0);
    ql::UserDefaults(store).setInteger(QStringLiteral("unitsType"), 1);
    EXPECT_FALSE(QFileInfo::exists(abandoned));
    EXPECT_TRUE(QFileInfo::exists(running));
    EXPECT_TRUE(QFileInfo::exists(begun));
}

// Copies reading while another lays kept changes over the store and removes
// their files find each file whole or gone, never one they cannot read.
TEST(UserDefaultsStore, KeptChangesRemovedAsTheyAreReadAreNotCalledUnreadable)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    const ql::HeldSettings held(store);
    QStringList unreadable;
    // The race is narrow: a second round gives it room.
    for (int round = 0; round < 2 && unreadable.isEmpty(); ++round) {
        for (int i = 0; i < 150; ++i)
            ASSERT_TRUE(held.keep({{QStringLiteral("change%1").arg(i), i, ql::HeldSettings::nextStamp()}}));
        std::atomic<bool> merged {false};
        QStringList said[4];
        std::vector<std::thread> readers;
        for (QStringList& reasons : said)
            readers.emplace_back([&held, &merged, &reasons] {
                while (!merged)
                    held.read(reasons);
            });
        ql::UserDefaults {store};
        merged = true;
        for (int i = 0; i < 4; ++i) {
            readers[size_t(i)].join();
            unreadable += said[i];
        }
        ASSERT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.held-*")}), QStringList()) << "all laid";
    }
    EXPECT_TRUE(unreadable.isEmpty()) << unreadable.join(QLatin1Char('\n')).toStdString();
}

// What stands beside the store under a kept file's name but is no such
// file (a pipe, a link to a device, damaged bytes) blocks nothing, is left
// as it is, and the log says where.
TEST(UserDefaultsStore, WhatIsNoKeptFileIsLeftAndTheLogSaysWhere)
{
    using namespace std::chrono_literals;
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    const QString pipe = store + QStringLiteral(".held-1-1");
    const QString device = store + QStringLiteral(".held-1-2");
    const QString damaged = store + QStringLiteral(".held-1-3");
    ASSERT_TRUE(ql::testing::makeFifo(pipe));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), device));
    write(damaged, "damaged");
    const ql::testing::KeptWarnings warnings;
    const auto change = [&] { ql::UserDefaults(store).setInteger(QStringLiteral("unitsType"), 1); };
    ASSERT_TRUE(ql::testing::returnsWithin(5s, change, pipe)) << "the store waited on the pipe";
    EXPECT_EQ(ql::UserDefaults(store).integerForKey(QStringLiteral("unitsType")), 1);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.held-*")}, QDir::System | QDir::Files).size(), 3);
    // Each of the two sessions says it once for each.
    EXPECT_EQ(warnings.count(QStringLiteral("beside “%1” are left").arg(store)), 6) << warnings.all();
}

// Changes that cannot be written by the time the program quits are counted
// in the log, not dropped without a word.
TEST(UserDefaultsStore, ChangesThatCannotBeSavedAreCountedAtQuit)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("settings"));
    const ql::testing::KeptWarnings warnings;
    {
        ql::UserDefaults defaults(folder + QStringLiteral("/defaults.qldefaults"));
        ASSERT_TRUE(QDir(folder).removeRecursively());
        for (int i = 0; i < 3; ++i)
            defaults.setInteger(QStringLiteral("change%1").arg(i), i);
    }
    EXPECT_EQ(warnings.count(QStringLiteral("3 of the settings changed in this session")), 1) << warnings.all();
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

// Past the bound on kept copies a damaged store is still replaced, and its
// settings saved again; the copies kept stay, and the log says where.
TEST(UserDefaultsStore, PastTheLastKeptCopyADamagedStoreIsStillReplaced)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.qldefaults"));
    const auto copies = [&] { return QDir(dir.path()).entryList({QStringLiteral("*damaged*")}, QDir::Files); };
    const ql::testing::KeptWarnings warnings;
    for (int i = 0; copies().size() < 100 && i < 200; ++i) {
        write(store, "damaged " + QByteArray::number(i));
        const ql::UserDefaults keeps(store);
    }
    ASSERT_EQ(copies().size(), 100);
    write(store, "damaged once more");
    {
        ql::UserDefaults defaults(store);
        defaults.setInteger(QStringLiteral("unitsType"), 2);
    }
    EXPECT_EQ(ql::UserDefaults(store).objectForKey(QStringLiteral("unitsType")), 2) << warnings.all();
    EXPECT_EQ(copies().size(), 100);
    EXPECT_EQ(warnings.count(QStringLiteral("“%1”").arg(dir.path())), 1) << warnings.all();
}
