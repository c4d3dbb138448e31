#include "platform/runtime/UserDefaults.h"

#include "platform/object/ValueKind.h"
#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/FileReading.h"
#include "platform/runtime/UninterruptedWrite.h"
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

// Copies of damaged stores beside one store: each one kept, none overwritten.
constexpr int kMostDamagedCopies = 100;
// keptCopyOf's error code when every copy's name is taken.
constexpr int kNoRoomForCopies = -1;

QString damagedCopyName(const QString& path, int number)
{
    return path + (number == 1 ? QStringLiteral(".damaged") : QStringLiteral(".damaged-%1").arg(number));
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
    : QObject(parent), m_path(filePath), m_lock(filePath + QStringLiteral(".lock")), m_held(filePath)
{
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    // Changes other copies kept beside the store are laid over it when the
    // lock is free; the start waits for no one.
    QStringList kept;
    if (reload(&kept) && !kept.isEmpty())
        if (const FileLockHold tried(m_lock, std::chrono::milliseconds::zero()); tried.status())
            writeHolding(tried.status());
}

UserDefaults::~UserDefaults()
{
    // The last try, waiting for the lock as a change would; the log says
    // where it leaves this session's changes.
    writeChanges();
    if (!m_unwritten.isEmpty())
        qWarning().noquote() << tr("Changes are lost: %1 of the settings changed in this session could not be saved "
                                   "before the program quit.")
                                    .arg(m_unwritten.size());
    else if (keptHere())
        qWarning().noquote() << tr("Settings changed in this session are not in “%1”: another program kept its lock "
                                   "until this one quit. They are kept in “%2”%3, and the next copy of the program "
                                   "to start or change a setting lays them over it.")
                                    .arg(m_path, m_keptHere.constFirst().path,
                                         m_keptHere.size() > 1
                                             ? tr(" and %1 more files beside it").arg(m_keptHere.size() - 1)
                                             : QString());
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
    m_unwritten.insert(key, {key, value, HeldSettings::nextStamp()});
    writeChanges();
    emit changed(key);
}

void UserDefaults::removeObjectForKey(const QString& key)
{
    m_stored.remove(key);
    m_unwritten.insert(key, {key, QVariant(), HeldSettings::nextStamp()});
    writeChanges();
    emit changed(key);
}

bool UserDefaults::synchronize()
{
    return m_unwritten.isEmpty() && !keptHere() ? reload() : writeChanges();
}

QString UserDefaults::filePath() const
{
    return m_path;
}

bool UserDefaults::reload(QStringList* laid)
{
    if (m_keptOff)
        return false;
    const Result<QByteArray> bytes = readFileWithin(m_path, kLargestSettingsFile);
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
    // The changes copies kept beside the store while another program held
    // its lock, and this one's not written yet, in the order they were made.
    QList<HeldSettings::Change> changes = m_unwritten.values();
    QStringList unreadable;
    for (const HeldSettings::Batch& batch : m_held.read(unreadable)) {
        changes += batch.changes;
        if (laid)
            laid->append(batch.file);
    }
    HeldSettings::apply(changes, values);
    for (const QString& reason : unreadable) {
        if (!m_toldUnreadable.contains(reason))
            qWarning().noquote() << tr("Settings kept beside “%1” are left where they are: %2").arg(m_path, reason);
        m_toldUnreadable.append(reason);
    }
    m_stored = values;
    return true;
}

bool UserDefaults::writeChanges()
{
    if (m_unwritten.isEmpty() && !keptHere())
        return true;
    if (m_keptOff)
        return false;
    {
        const FileLockHold tried(m_lock, std::chrono::milliseconds::zero());
        if (tried.status() || tried.status().error().code != int(FileLockError::Busy))
            return writeHolding(tried.status());
    }
    // The program holding the lock may have read the store already and
    // rename its copy over it: the changes wait where that cannot reach.
    keepUnwritten();
    const FileLockHold hold(m_lock, lockWait());
    noteLock(hold.status());
    const Status& locked = hold.status();
    if (locked || locked.error().code != int(FileLockError::Busy))
        return writeHolding(locked);
    if (!m_toldLockBusy && m_unwritten.isEmpty() && !m_keptHere.isEmpty())
        qWarning().noquote() << tr("Settings are not saved in “%1” yet: %2 The changes are kept beside it in “%3” "
                                   "(later ones in files named alike), and the first copy of the program to take "
                                   "the lock lays them over it.")
                                    .arg(m_path, locked.error().message, m_keptHere.constLast().path);
    m_toldLockBusy = m_toldLockBusy || m_unwritten.isEmpty();
    return false;
}

bool UserDefaults::writeHolding(const Status& locked)
{
    if (!locked) {
        // No copy can take a lock there either; the changes are still saved.
        if (!m_toldLockUnusable)
            qWarning().noquote() << tr("Settings are saved without their lock, so two running copies of the "
                                       "program may undo each other's changes: %1")
                                        .arg(locked.error().message);
        m_toldLockUnusable = true;
    } else {
        m_toldLockBusy = false;
    }
    QStringList laid;
    {
        // From the read on: a change that has the lock is in the store before
        // a signal ends the program.
        const UninterruptedWrite writing;
        if (!reload(&laid))
            return false;
        if (m_unwritten.isEmpty() && laid.isEmpty())
            return !keptHere();
        if (const Status written = writeFileAtomically(m_path, encodeUserDefaults(m_stored)); !written) {
            // Once, not at every change; the changes stay for the next try.
            if (!m_toldWriteFailure)
                qWarning().noquote() << tr("Settings could not be saved:") << written.error().message;
            m_toldWriteFailure = true;
            return false;
        }
    }
    // Laid over the store now: a signal may end the program before they
    // are all gone, and the next copy to hold the lock lays the rest again,
    // which changes nothing.
    m_held.remove(laid);
    m_held.removeAbandoned();
    m_unwritten.clear();
    m_toldWriteFailure = false;
    return !keptHere();
}

void UserDefaults::keepUnwritten()
{
    if (m_unwritten.isEmpty())
        return;
    const UninterruptedWrite writing;
    const Result<QString> kept = m_held.keep(m_unwritten.values());
    if (!kept) {
        if (!m_toldKeepFailure)
            qWarning().noquote() << tr("Settings changed while another program keeps their lock could not be kept "
                                       "beside “%1”: %2 They are saved once the lock is free, and lost should the "
                                       "program end before.")
                                        .arg(m_path, kept.error().message);
        m_toldKeepFailure = true;
        return;
    }
    // An earlier file whose every change the new ones make again is of no
    // more use, so that a session changing a few settings over and over
    // while a copy hangs leaves a few files. A holder that laid it meanwhile
    // leaves the later one, which it did not read, to the next.
    const QStringList keys = m_unwritten.keys();
    for (KeptFile& earlier : m_keptHere) {
        earlier.keys.removeIf([&keys](const QString& key) { return keys.contains(key); });
        if (earlier.keys.isEmpty())
            m_held.remove({earlier.path});
    }
    m_keptHere.removeIf([](const KeptFile& earlier) { return earlier.keys.isEmpty(); });
    m_keptHere.append({*kept, keys});
    m_unwritten.clear();
    m_toldKeepFailure = false;
}

bool UserDefaults::keptHere()
{
    m_keptHere.removeIf([](const KeptFile& kept) { return !QFileInfo::exists(kept.path); });
    return !m_keptHere.isEmpty();
}

std::chrono::milliseconds UserDefaults::lockWait() const
{
    return m_lockWaitedInVain ? std::chrono::milliseconds::zero() : kLockWait;
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
    const FileLockHold hold(m_lock, lockWait());
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
