// Settings changes that could not be written into the store because another
// program kept its lock. That program may already have read the store and
// will rename its own copy over it, so the changes go at once into a file of
// their own beside the store: made whole under a name no other copy uses
// ("<store>.held-<process>-<number>") and never changed after, so that
// neither that write nor the end of this program loses them. The next copy
// holding the lock lays every such file over the store, the changes in the
// order they were made, and removes the files it laid. The store itself and
// its lock stay as older builds know them.
#pragma once

#include "platform/Error.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace ql {

class HeldSettings {
public:
    struct Change {
        QString key;
        QVariant value; // null: the key was removed
        // When it was made: a later change, in this program or in another
        // copy, has a larger stamp (microseconds of the clock, never the same
        // twice within one program).
        qint64 stamp = 0;
    };
    struct Batch {
        QString file;
        QList<Change> changes;
    };

    explicit HeldSettings(const QString& storePath);

    static qint64 nextStamp();

    // A new file holding `changes`; its path.
    Result<QString> keep(const QList<Change>& changes) const;
    // Every file kept beside the store; those that cannot be read are left
    // where they are and named in `unreadable` with the reason.
    QList<Batch> read(QStringList& unreadable) const;
    void remove(const QStringList& files) const;
    // Removes the part-made files of programs killed as they kept changes.
    void removeAbandoned() const;

    // Lays `changes` over `values`, the latest last.
    static void apply(QList<Change> changes, QVariantMap& values);

private:
    QString m_store;
};

} // namespace ql
