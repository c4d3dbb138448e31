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
// is lost. While another program keeps that lock, a change is kept at once
// in a file of its own beside the store (HeldSettings), where neither that
// program's write nor the end of this one can lose it, and the next copy to
// hold the lock lays it over the store; of two changes of one key, the later
// wins. A store that cannot be read is kept beside it, under a name the log
// gives, before anything is written over it; past the bound on such copies
// it is replaced without one.
#pragma once

#include "platform/runtime/FileLock.h"
#include "platform/runtime/HeldSettings.h"

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
    // store. A change kept beside the store then waits this long once for
    // the lock, and later ones only try it until it is had again.
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
    // while changes of this session are not in the store (kept beside it,
    // or not kept at all).
    bool synchronize();
    QString filePath() const;

signals:
    void changed(const QString& key);

private:
    // The file's values with every change kept beside it and those not
    // written yet laid over them, as far as the file can be read; a file
    // that must be left alone makes the store keep off it. `laid` gets the
    // files of the kept changes.
    bool reload(QStringList* laid = nullptr);
    // Writes the unwritten changes, and those kept beside the store, over
    // what the file holds now. While another program keeps the lock they
    // are kept beside the store at once, then wait for it as lockWait says.
    bool writeChanges();
    // The write itself, once the lock is had or where none can be.
    bool writeHolding(const Status& locked);
    // Moves the unwritten changes into a file beside the store.
    void keepUnwritten();
    // Whether changes this session kept beside the store are still there.
    bool keptHere();
    // After one wait in vain, changes only try the lock until it is had
    // again, so that no change waits twice while a copy hangs.
    std::chrono::milliseconds lockWait() const;
    void noteLock(const Status& locked);
    // Keeps the bytes of a store that cannot be read beside it; false when
    // they could not be kept, and the store must then be left alone.
    bool keepDamaged(const QByteArray& bytes);
    void keepOff(const QString& cause);

    QString m_path;
    FileLock m_lock;
    QVariantMap m_stored;
    QVariantMap m_registered;
    // Changes neither in the file nor kept beside it, by key.
    QMap<QString, HeldSettings::Change> m_unwritten;
    HeldSettings m_held;
    // A file this session kept changes in, until a holder of the lock lays
    // it over the store, with its keys that no later such file changes.
    struct KeptFile {
        QString path;
        QStringList keys;
    };
    QList<KeptFile> m_keptHere;
    QStringList m_toldUnreadable;
    bool m_keptOff = false;
    bool m_toldWriteFailure = false;
    bool m_lockWaitedInVain = false;
    bool m_toldLockBusy = false;
    bool m_toldKeepFailure = false;
    bool m_toldLockUnusable = false;
    // The copy of a damaged store (or, past the bound on copies, their
    // folder) this session last named in the log.
    QString m_toldDamagedCopy;
};

} // namespace ql
