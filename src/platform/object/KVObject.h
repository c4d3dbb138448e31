// Base of every model object: properties by key and key path, and
// observation of keys and key paths with old and new values.
#pragma once

#include "platform/Error.h"
#include "platform/object/PropertyTable.h"

#include <QObject>
#include <QVarLengthArray>
#include <functional>
#include <memory>
#include <vector>

namespace ql {

struct KeyValueChange {
    QString keyPath;
    QVariant oldValue; // invalid when the old value was null
    QVariant newValue; // invalid when the new value is null
};

using KeyValueObserver = std::function<void(const KeyValueChange&)>;
using ObservationId = quint64;

class KeyPathObservation;

class KVObject : public QObject {
    Q_OBJECT
public:
    explicit KVObject(QObject* parent = nullptr);
    ~KVObject() override;

    // The class's property table; subclasses return their own static table
    // built on their superclass's.
    virtual const PropertyTable& properties() const;

    bool hasKey(QStringView key) const { return properties().find(key) != nullptr; }

    // Null (an invalid variant) for a null value and for an unknown key.
    QVariant valueForKey(QStringView key) const;
    // Follows "a.b.c" through object-valued properties; null when any step is
    // null or unknown.
    QVariant valueForKeyPath(QStringView keyPath) const;

    // Sets a value after checking the key and the value's kind; nothing
    // changes when it fails.
    Status setValueForKey(QStringView key, const QVariant& value);
    Status setValueForKeyPath(QStringView keyPath, const QVariant& value);

    // Observes a key or key path of this object. The observer runs after each
    // change with the path's old and new value. While `context` is given,
    // observation ends when the context is destroyed.
    ObservationId addObserver(const QString& keyPath, QObject* context, KeyValueObserver observer);
    void removeObserver(ObservationId id);
    void removeObservers(QObject* context);

    // Observes key paths of this object for itself, with one function for
    // them all: what a class does that follows the same settings in every
    // instance. `paths` is a list that lives as long as the program (the
    // class's static list). Each path counts as an observation added here,
    // in turn; they end with removeObservers(this) or with the object. The
    // plain keys among them cost the object no storage of their own, and a
    // path through one other object ("border.lineWidth") one watch on it.
    using OwnKeyObserver = void (*)(KVObject& self, const KeyValueChange& change);
    void observeOwnKeyPaths(const QStringList& paths, OwnKeyObserver observer);

    // Announces a change made outside a setter (or none at all): observers of
    // `key` get the values from before the will and after the did.
    void willChangeValueForKey(const QString& key);
    void didChangeValueForKey(const QString& key);

    // Assigns and announces; what stored-field setters call.
    template <class T, class U>
    void changeValue(const QString& key, T& field, U&& value)
    {
        willChangeValueForKey(key);
        field = std::forward<U>(value);
        didChangeValueForKey(key);
    }

    // The table every subclass table starts from (no properties).
    static const PropertyTable& baseTable();

signals:
    // After every announced change of any key, once its observers have run;
    // for views that redraw whatever changed.
    void valueChanged(const QString& key);

private:
    friend class KeyPathObservation;

    // A watch belongs to a key-path observation (`owner`), to another
    // object's own path through this one (`root`, whose observation is
    // `rootId`), or, for an object observing one of its own keys, is the
    // observation itself: that is how every model follows its settings,
    // thousands of times on a big page, so it costs no allocation and no
    // connection of its own.
    struct KeyWatch {
        quint64 id;
        QString key;
        KeyPathObservation* owner;
        KeyValueObserver observer; // set for an own-key observation
        KVObject* root = nullptr;
        quint64 rootId = 0;
        // Removed: kept in place until the gone outnumber the rest.
        bool gone = false;
    };
    struct OwnPath;
    // The keys of an observeOwnKeyPaths call: the path at index i is
    // observation firstId + i.
    struct OwnKeys {
        const QStringList* paths;
        const std::vector<OwnPath>* split;
        OwnKeyObserver observer;
        quint64 firstId;
    };
    // The object an own "head.tail" path goes through, and the watch on it.
    struct OwnLink {
        quint64 id;
        KVObject* head;
        quint64 watch;
    };
    // The value before a change, for own-key observations, while the change
    // is announced.
    struct PendingChange {
        quint64 id;
        int depth;
        QVariant oldValue;
    };
    using WatchIds = QVarLengthArray<quint64, 16>;

    quint64 addWatch(const QString& key, KeyPathObservation* owner);
    quint64 addWatch(const QString& key, KVObject* root, quint64 rootId);
    // The model object `key` holds, if any.
    static KVObject* objectAt(const KVObject& object, const QString& key);
    void removeWatch(quint64 id);
    std::vector<KeyWatch>::iterator findWatch(quint64 id);
    std::vector<KeyWatch>::const_iterator findWatch(quint64 id) const;
    WatchIds watchesForKey(const QString& key) const;
    const OwnKeys* ownKeysOf(quint64 id) const;
    static const std::vector<OwnPath>& splitOwnPaths(const QStringList& paths);
    const OwnPath& ownPathOf(const OwnKeys& keys, quint64 id) const;
    QVariant ownValue(const OwnPath& path) const;
    KVObject* ownHead(const OwnPath& path) const;
    void relinkOwnPath(quint64 id, const OwnPath& path);
    void dropOwnLinks();
    // What a watched object says as it goes, to those watching through it:
    // first to stop watching it, then, once it is gone, to follow what takes
    // its place (`path`: observation `id` is a key-path observation).
    void forgetOwnHead(const KVObject* gone);
    void followAfterLoss(quint64 id, bool path);
    void ownKeyWillChange(quint64 id, const OwnPath* path, const QString& key);
    // False while an outer announcement of the same key is still open.
    bool ownKeyDidChange(quint64 id, QVariant& oldValue);
    void willChange(quint64 id);
    void didChange(quint64 id);

    Status checkedSet(const PropertyDef& def, const QVariant& value);

    // In the order added, which is the order of their ids: a watch is found
    // by binary search, so that an object watched by thousands drops each
    // watch without comparing them all. A removed watch is marked gone, and
    // the gone are swept out together once they are half the list: a master
    // page watched by every page of a large document would otherwise move
    // the whole list as each page goes.
    std::vector<KeyWatch> m_watches;
    size_t m_goneWatches = 0;
    std::vector<std::unique_ptr<KeyPathObservation>> m_observations;
    std::vector<OwnKeys> m_ownKeys;
    std::vector<PendingChange> m_pending;
    std::vector<OwnLink> m_ownLinks;
    // Stack markers of announcements under way, told when the object goes
    // (an observer may delete it): cheaper than a guarded pointer on every
    // change.
    struct AliveMark {
        explicit AliveMark(KVObject* object) : object(object), next(object->m_aliveMarks)
        {
            object->m_aliveMarks = this;
        }
        ~AliveMark()
        {
            if (alive)
                object->m_aliveMarks = next;
        }
        AliveMark(const AliveMark&) = delete;
        AliveMark& operator=(const AliveMark&) = delete;
        KVObject* object;
        AliveMark* next;
        bool alive = true;
    };
    AliveMark* m_aliveMarks = nullptr;
};

// The error domain of key-value coding failures.
inline constexpr const char* kKeyValueErrorDomain = "ql.KeyValueCoding";
enum KeyValueErrorCode { UnknownKey = 1, NullInPath = 2, WrongKind = 3, ReadOnlyKey = 4 };

} // namespace ql
