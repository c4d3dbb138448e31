#include "platform/runtime/HeldSettings.h"

#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/FileReading.h"
#include "platform/runtime/UserDefaultsFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>

#include <cerrno>
#include <climits>
#include <csignal>
#include <unistd.h>

namespace ql {

namespace {

// Names tried for one file: those taken belong to files an earlier program
// with the same process number left.
constexpr int kMostNameTries = 1000;
// A part-made file no one has written for this long, of a program that has
// ended, is left by one killed as it wrote it. Its age guards a program
// whose process number this one cannot see (another process namespace).
constexpr qint64 kAbandonedAfterSeconds = 600;

int nextNumber()
{
    static std::atomic<int> number {0};
    return ++number;
}

// Each change as a list of its stamp and its value, or of its stamp alone
// for a removal, in a map written as the store is.
QVariant entryOf(const HeldSettings::Change& change)
{
    QVariantList entry {QVariant::fromValue(qlonglong(change.stamp))};
    if (change.value.isValid())
        entry.append(change.value);
    return entry;
}

std::optional<QList<HeldSettings::Change>> changesIn(const QByteArray& bytes)
{
    const std::optional<QVariantMap> entries = decodeUserDefaults(bytes);
    if (!entries)
        return std::nullopt;
    QList<HeldSettings::Change> changes;
    for (auto it = entries->constBegin(); it != entries->constEnd(); ++it) {
        const QVariantList entry = it->typeId() == QMetaType::QVariantList ? it->toList() : QVariantList();
        if (entry.isEmpty() || entry.size() > 2 || entry.first().typeId() != QMetaType::LongLong)
            return std::nullopt;
        changes.append({it.key(), entry.value(1), entry.first().toLongLong()});
    }
    return changes;
}

Error writeFailure(int errorNumber)
{
    return Error {kFileWriteErrorDomain, errorNumber, fileSystemErrorText(errorNumber)};
}

} // namespace

HeldSettings::HeldSettings(const QString& storePath) : m_store(storePath) {}

qint64 HeldSettings::nextStamp()
{
    using namespace std::chrono;
    static std::atomic<qint64> last {0};
    const qint64 now = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    qint64 previous = last.load();
    qint64 stamp = 0;
    do
        stamp = std::max(now, previous + 1);
    while (!last.compare_exchange_weak(previous, stamp));
    return stamp;
}

Result<QString> HeldSettings::keep(const QList<Change>& changes) const
{
    QVariantMap entries;
    for (const Change& change : changes)
        entries.insert(change.key, entryOf(change));
    const QByteArray bytes = encodeUserDefaults(entries);
    const QString prefix = QStringLiteral("%1.held-%2-").arg(m_store).arg(::getpid());
    for (int tries = 0; tries < kMostNameTries; ++tries) {
        const QString file = prefix + QString::number(nextNumber());
        // Written whole under a name no reader takes, then linked under its
        // own, which a link never takes from a file that has it.
        const QString part = file + QStringLiteral(".part");
        if (const Status written = writeNewFile(part, bytes); !written) {
            if (written.error().code == EEXIST)
                continue;
            return written.error();
        }
        const int linked = ::link(QFile::encodeName(part).constData(), QFile::encodeName(file).constData()) == 0 ? 0 : errno;
        ::unlink(QFile::encodeName(part).constData());
        if (linked == 0)
            return file;
        if (linked != EEXIST)
            return writeFailure(linked);
    }
    return writeFailure(EEXIST);
}

QList<HeldSettings::Batch> HeldSettings::read(QStringList& unreadable) const
{
    const QFileInfo store(m_store);
    const QRegularExpression named(
        QStringLiteral("^%1\\.held-\\d+-\\d+$").arg(QRegularExpression::escape(store.fileName())));
    const QDir folder = store.absoluteDir();
    QList<Batch> batches;
    for (const QString& leaf : folder.entryList({store.fileName() + QStringLiteral(".held-*")},
                                                QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (!named.match(leaf).hasMatch())
            continue;
        const QString file = folder.filePath(leaf);
        const Result<QByteArray> bytes = readFileWithin(file, kLargestSettingsFile);
        // Gone meanwhile, even between being found and opened: laid over the
        // store by the copy holding the lock, or kept again by its own.
        if (!bytes && (bytes.error().code == int(FileReadingError::Missing) || !QFileInfo::exists(file)))
            continue;
        std::optional<QList<Change>> changes = bytes ? changesIn(*bytes) : std::nullopt;
        if (changes)
            batches.append({file, std::move(*changes)});
        else
            unreadable.append(bytes ? QObject::tr("“%1” holds no settings this program can read.").arg(file)
                                    : bytes.error().message);
    }
    return batches;
}

void HeldSettings::remove(const QStringList& files) const
{
    for (const QString& file : files)
        ::unlink(QFile::encodeName(file).constData());
}

void HeldSettings::removeAbandoned() const
{
    const QFileInfo store(m_store);
    const QRegularExpression named(
        QStringLiteral("^%1\\.held-(\\d+)-\\d+\\.part$").arg(QRegularExpression::escape(store.fileName())));
    const QDir folder = store.absoluteDir();
    const QDateTime written = QDateTime::currentDateTimeUtc().addSecs(-kAbandonedAfterSeconds);
    for (const QString& leaf : folder.entryList({store.fileName() + QStringLiteral(".held-*.part")},
                                                QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = named.match(leaf);
        const qlonglong process = match.captured(1).toLongLong();
        const QString file = folder.filePath(leaf);
        if (match.hasMatch() && process > 0 && process <= INT_MAX && QFileInfo(file).lastModified() < written
            && ::kill(pid_t(process), 0) != 0 && errno == ESRCH)
            ::unlink(QFile::encodeName(file).constData());
    }
}

void HeldSettings::apply(QList<Change> changes, QVariantMap& values)
{
    std::stable_sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.stamp < b.stamp; });
    for (const Change& change : changes) {
        if (change.value.isValid())
            values.insert(change.key, change.value);
        else
            values.remove(change.key);
    }
}

} // namespace ql
