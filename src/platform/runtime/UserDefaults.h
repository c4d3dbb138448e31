// User defaults: values the user's choices leave behind, in a store in the
// per-user config folder, over a layer of registered defaults that fills in
// what was never stored. Values keep their kinds (bool, integer, double,
// string, bytes, lists, maps).
//
// The store is read only from a regular file, opened without waiting, and
// written only by replacing a regular file (or making one). Anything else at
// its path (a pipe, a socket, a device, or a link to one) is left as it is:
// the program then runs on the registered values and this session's changes.
//
// Running copies of the program share the store: each change is laid over
// what the file holds under a lock file beside it, so that no copy's change
// is lost; while another program keeps that lock, changes are held and
// saved once it is free, or without it as the program quits. A store that
// cannot be read is kept beside it, under a name the log gives, before
// anything is written over it; past the bound on such copies it is replaced
// without one.
#pragma once

#include "platform/runtime/FileLock.h"

#include <QObject>
#include <QVariantMap>

namespace ql {

class UserDefaults : public QObject {
    Q_OBJECT
public:
    // The program's store. Its file is chosen on first use; tests point it
    // elsewhere with useStandardStoreAt before that.
    static UserDefaults& standard();
    static void useStandardStoreAt(const QString& filePath);
    static QString standardStorePath();

    // A write holds the store's lock for milliseconds; one held far longer
    // belongs to a copy of the program that hangs or writes a very large
    // store. The changes then wait this long once and are held after that.
    static constexpr std::chrono::milliseconds kLockWait {2000};

    // A store of its own at `filePath`.
    explicit UserDefaults(const QString& filePath, QObject* parent = nullptr);
    ~UserDefaults() override;

    // Registered values never overwrite stored ones; they answer only for
    // keys that were never stored. Each call adds to the layer.
    void registerDefaults(const QVariantMap& defaults);

    // The stored value, else the registered one, else null.
    QVariant objectForKey(const QString& key) const;
    bool hasStoredValue(const QString& key) const;
    QStringList storedKeys() const;

    bool boolForKey(const QString& key) const;
    qint64 integerForKey(const QString& key) const;
    double doubleForKey(const QString& key) const;
    QString stringForKey(const QString& key) const;
    QByteArray dataForKey(const QString& key) const;
    QVariantList arrayForKey(const QString& key) const;
    QVariantMap dictionaryForKey(const QString& key) const;

    // Stores and writes through, so a fresh store sees it at once.
    void setObject(const QString& key, const QVariant& value);
    void setBool(const QString& key, bool value) { setObject(key, value); }
    void setInteger(const QString& key, qint64 value) { setObject(key, value); }
    void setDouble(const QString& key, double value) { setObject(key, value); }
    void removeObjectForKey(const QString& key);

    // Writes what is not written yet and reads what others wrote; false
    // while changes stay unwritten.
    bool synchronize();
    QString filePath() const;

signals:
    void changed(const QString& key);

private:
    // The file's values over what is held, as far as the file can be read;
    // a file that must be left alone makes the store keep off it.
    bool reload();
    enum class Moment { Change, Quit };
    // Writes the unwritten changes over what the file holds now. While
    // another program keeps the lock they are held; as the program quits
    // they are merged over the file without it, as the last resort.
    bool writeChanges(Moment moment = Moment::Change);
    // How long taking the lock may wait: after one wait in vain, changes only
    // try until the lock is had again, so that no change waits twice while a
    // copy hangs; quitting waits once more.
    std::chrono::milliseconds lockWait(Moment moment) const;
    void noteLock(const Status& locked);
    // Keeps the bytes of a store that cannot be read beside it; false when
    // they could not be kept, and the store must then be left alone.
    bool keepDamaged(const QByteArray& bytes);
    void keepOff(const QString& cause);

    QString m_path;
    FileLock m_lock;
    QVariantMap m_stored;
    QVariantMap m_registered;
    // Changes not yet in the file; a null value is a removal.
    QVariantMap m_unwritten;
    bool m_keptOff = false;
    bool m_toldWriteFailure = false;
    bool m_lockWaitedInVain = false;
    bool m_toldLockBusy = false;
    bool m_toldLockUnusable = false;
    // The copy of a damaged store (or, past the bound on copies, their
    // folder) this session last named in the log.
    QString m_toldDamagedCopy;
};

} // namespace ql
