#include "platform/runtime/UserDefaults.h"

#include "platform/object/ValueKind.h"
#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/FileReading.h"
#include "platform/runtime/UserDefaultsFile.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <optional>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ql {

namespace {

// Read whole into memory: the holding area keeps its elements here.
constexpr qint64 kLargestStore = qint64(1) << 30;
// Copies of damaged stores beside one store: each one kept, none overwritten.
constexpr int kMostDamagedCopies = 100;
// keptCopyOf's error code when every copy's name is taken.
constexpr int kNoRoomForCopies = -1;

QString damagedCopyName(const QString& path, int number)
{
    return path + (number == 1 ? QStringLiteral(".damaged") : QStringLiteral(".damaged-%1").arg(number));
}

// A new file of exactly `bytes`, never one that is there already; the
// error's code is the system's error number.
Status writeNewFile(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Error {kFileWriteErrorDomain, errno, fileSystemErrorText(errno)};
    int failure = writeAll(fd, bytes);
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    ::close(fd);
    if (failure != 0) {
        ::unlink(name.constData());
        return Error {kFileWriteErrorDomain, failure, fileSystemErrorText(failure)};
    }
    return {};
}

// The copy of `bytes` beside the store at `path`: one kept earlier when it
// holds the same bytes, else a new one.
Result<QString> keptCopyOf(const QString& path, const QByteArray& bytes)
{
    int free = 0;
    for (int number = 1; number <= kMostDamagedCopies; ++number) {
        const QString copy = damagedCopyName(path, number);
        const QFileInfo info(copy);
        if (!info.exists() && !info.isSymLink()) {
            free = free ? free : number;
            continue;
        }
        if (info.isFile() && info.size() == bytes.size()) {
            const Result<QByteArray> kept = readFileWithin(copy, bytes.size());
            if (kept && *kept == bytes)
                return copy;
        }
    }
    for (int number = free; number > 0 && number <= kMostDamagedCopies; ++number) {
        const QString copy = damagedCopyName(path, number);
        const Status written = writeNewFile(copy, bytes);
        if (written)
            return copy;
        if (written.error().code != EEXIST)
            return written.error();
    }
    return Error {kFileWriteErrorDomain, kNoRoomForCopies,
                  QObject::tr("%1 copies of damaged settings are kept already.").arg(kMostDamagedCopies)};
}

QString& standardPathOverride()
{
    static QString path;
    return path;
}

} // namespace

UserDefaults& UserDefaults::standard()
{
    static UserDefaults defaults(standardStorePath());
    return defaults;
}

void UserDefaults::useStandardStoreAt(const QString& filePath)
{
    standardPathOverride() = filePath;
}

QString UserDefaults::standardStorePath()
{
    if (!standardPathOverride().isEmpty())
        return standardPathOverride();
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/defaults.qldefaults");
}

UserDefaults::UserDefaults(const QString& filePath, QObject* parent)
    : QObject(parent), m_path(filePath), m_lock(filePath + QStringLiteral(".lock"))
{
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    reload();
}

UserDefaults::~UserDefaults()
{
    // The last chance for held changes: said in the log when they are lost.
    if (!writeChanges(Moment::Quit))
        qWarning().noquote() << tr("Changes are lost: %1 of the settings changed in this session could not be saved "
                                   "before the program quit.")
                                    .arg(m_unwritten.size());
}

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    for (auto it = defaults.constBegin(); it != defaults.constEnd(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariant UserDefaults::objectForKey(const QString& key) const
{
    const auto stored = m_stored.constFind(key);
    return stored != m_stored.constEnd() ? *stored : m_registered.value(key);
}

bool UserDefaults::hasStoredValue(const QString& key) const
{
    return m_stored.contains(key);
}

QStringList UserDefaults::storedKeys() const
{
    return m_stored.keys();
}

bool UserDefaults::boolForKey(const QString& key) const
{
    return objectForKey(key).toBool();
}

qint64 UserDefaults::integerForKey(const QString& key) const
{
    return integerFromVariant<qint64>(objectForKey(key));
}

double UserDefaults::doubleForKey(const QString& key) const
{
    return objectForKey(key).toDouble();
}

QString UserDefaults::stringForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QString || isNumeric(value) ? value.toString() : QString();
}

QByteArray UserDefaults::dataForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

QVariantList UserDefaults::arrayForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList ? value.toList()
                                                                                                  : QVariantList();
}

QVariantMap UserDefaults::dictionaryForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QVariantMap ? value.toMap() : QVariantMap();
}

void UserDefaults::setObject(const QString& key, const QVariant& value)
{
    if (!value.isValid()) {
        removeObjectForKey(key);
        return;
    }
    m_stored.insert(key, value);
    m_unwritten.insert(key, value);
    writeChanges();
    emit changed(key);
}

void UserDefaults::removeObjectForKey(const QString& key)
{
    m_stored.remove(key);
    m_unwritten.insert(key, QVariant());
    writeChanges();
    emit changed(key);
}

bool UserDefaults::synchronize()
{
    return m_unwritten.isEmpty() ? reload() : writeChanges();
}

QString UserDefaults::filePath() const
{
    return m_path;
}

bool UserDefaults::reload()
{
    if (m_keptOff)
        return false;
    const Result<QByteArray> bytes = readFileWithin(m_path, kLargestStore);
    QVariantMap values;
    if (bytes) {
        if (std::optional<QVariantMap> decoded = decodeUserDefaults(*bytes))
            values = *decoded;
        else if (!keepDamaged(*bytes))
            return false;
    } else if (bytes.error().code != int(FileReadingError::Missing)) {
        keepOff(bytes.error().message);
        return false;
    }
    // Another program's changes, and this one's that are not written yet.
    for (auto change = m_unwritten.constBegin(); change != m_unwritten.constEnd(); ++change) {
        if (change->isValid())
            values.insert(change.key(), *change);
        else
            values.remove(change.key());
    }
    m_stored = values;
    return true;
}

bool UserDefaults::writeChanges(Moment moment)
{
    if (m_unwritten.isEmpty())
        return true;
    if (m_keptOff)
        return false;
    // Read, merge and rename as one step against other running copies.
    const FileLockHold hold(m_lock, lockWait(moment));
    noteLock(hold.status());
    const Status& locked = hold.status();
    const bool busy = !locked && locked.error().code == int(FileLockError::Busy);
    if (busy && moment != Moment::Quit) {
        if (!m_toldLockBusy)
            qWarning().noquote() << tr("Settings are not saved yet: %1 They are held, and saved as soon as the lock "
                                       "is free, or else as the program quits.")
                                        .arg(locked.error().message);
        m_toldLockBusy = true;
        return false;
    }
    if (!locked && !busy) {
        // No copy can take a lock there either; the changes are still saved.
        if (!m_toldLockUnusable)
            qWarning().noquote() << tr("Settings are saved without their lock, so two running copies of the "
                                       "program may undo each other's changes: %1")
                                        .arg(locked.error().message);
        m_toldLockUnusable = true;
    }
    if (locked)
        m_toldLockBusy = false;
    if (!reload())
        return false;
    if (const Status written = writeFileAtomically(m_path, encodeUserDefaults(m_stored)); !written) {
        // Once, not at every change; the changes stay held for the next try.
        if (!m_toldWriteFailure)
            qWarning().noquote() << tr("Settings could not be saved:") << written.error().message;
        m_toldWriteFailure = true;
        return false;
    }
    m_unwritten.clear();
    m_toldWriteFailure = false;
    // The last resort as the program quits: held changes would be lost for
    // sure, while a change the holder saves at this moment only may be.
    if (busy)
        qWarning().noquote() << tr("Settings were saved without their lock as the program quit: %1 A change "
                                   "another running copy saved at that moment may be lost.")
                                    .arg(locked.error().message);
    return true;
}

std::chrono::milliseconds UserDefaults::lockWait(Moment moment) const
{
    return moment == Moment::Quit || !m_lockWaitedInVain ? kLockWait : std::chrono::milliseconds::zero();
}

void UserDefaults::noteLock(const Status& locked)
{
    if (locked)
        m_lockWaitedInVain = false;
    else if (locked.error().code == int(FileLockError::Busy))
        m_lockWaitedInVain = true;
}

bool UserDefaults::keepDamaged(const QByteArray& bytes)
{
    // Under the lock, so that two copies starting at once keep one copy.
    const FileLockHold hold(m_lock, lockWait(Moment::Change));
    noteLock(hold.status());
    const Result<QString> copy = keptCopyOf(m_path, bytes);
    if (!copy && copy.error().code == kNoRoomForCopies) {
        // The store is replaced all the same: settings that are never saved
        // again would be worse than one damaged store not kept.
        const QString folder = QFileInfo(m_path).absolutePath();
        if (m_toldDamagedCopy != folder)
            qWarning().noquote() << tr("The settings in “%1” are damaged, and the program starts from its own "
                                       "settings. They were not kept, as %2 copies of damaged settings are kept in "
                                       "“%3” already; those no longer needed can be deleted.")
                                        .arg(m_path, QString::number(kMostDamagedCopies), folder);
        m_toldDamagedCopy = folder;
        return true;
    }
    if (!copy) {
        keepOff(tr("They cannot be read, and a copy could not be kept beside them: %1").arg(copy.error().message));
        return false;
    }
    if (*copy != m_toldDamagedCopy)
        qWarning().noquote() << tr("The settings in “%1” are damaged: they were kept in “%2”, and the program "
                                   "starts from its own settings.")
                                    .arg(m_path, *copy);
    m_toldDamagedCopy = *copy;
    return true;
}

void UserDefaults::keepOff(const QString& cause)
{
    m_keptOff = true;
    qWarning().noquote() << tr("Settings are neither read from nor saved to “%1”: %2 This session starts from the "
                               "program's own settings.")
                                .arg(m_path, cause);
}

} // namespace ql
