#include "platform/object/KVObject.h"

#include <QHash>
#include <QPointer>
#include <algorithm>
#include <unordered_map>
#include <utility>

namespace ql {

namespace {

quint64 counter = 0;

quint64 nextId()
{
    return ++counter;
}

// The first of `count` ids in a row.
quint64 reserveIds(qsizetype count)
{
    const quint64 first = counter + 1;
    counter += quint64(count);
    return first;
}

Error keyValueError(KeyValueErrorCode code, const QString& message)
{
    return Error{QString::fromLatin1(kKeyValueErrorDomain), code, message};
}

// Every item of a variant list is of the property's item type (when it names one).
bool itemsFit(const PropertyDef& def, const QVariant& value)
{
    if (!def.itemType.isValid())
        return true;
    const QVariantList items = value.toList();
    return std::all_of(items.cbegin(), items.cend(),
                       [&def](const QVariant& item) { return item.metaType() == def.itemType; });
}

// The keys of a key path. Objects observe the same few paths thousands of
// times, so each path is split once and its list shared.
QStringList splitKeyPath(const QString& keyPath)
{
    thread_local QHash<QString, QStringList> split;
    auto found = split.constFind(keyPath);
    if (found == split.constEnd())
        found = split.insert(keyPath, keyPath.split(QLatin1Char('.')));
    return *found;
}

} // namespace

// A path of an observeOwnKeyPaths list: a plain key (the head alone), a
// "head.tail" path followed by the object itself, or a longer one left to an
// ordinary key-path observation.
struct KVObject::OwnPath {
    QString head;
    QString tail;
    bool linked = false;
    bool deep = false;
};

// Each class passes the same list for every instance: it is split once.
const std::vector<KVObject::OwnPath>& KVObject::splitOwnPaths(const QStringList& paths)
{
    struct Entry {
        QStringList paths;
        std::vector<KVObject::OwnPath> split;
    };
    thread_local std::unordered_map<const QStringList*, Entry> lists;
    Entry& entry = lists[&paths];
    // Shared data compares equal at once; another list at the same address
    // is split anew.
    if (entry.paths != paths || entry.split.size() != size_t(paths.size())) {
        entry.paths = paths;
        entry.split.clear();
        for (const QString& path : paths) {
            const qsizetype dot = path.indexOf(QLatin1Char('.'));
            if (dot < 0)
                entry.split.push_back({path, {}, false, false});
            else if (path.indexOf(QLatin1Char('.'), dot + 1) >= 0)
                entry.split.push_back({path, {}, false, true});
            else
                entry.split.push_back({path.left(dot), path.mid(dot + 1), true, false});
        }
    }
    return entry.split;
}

// One observer of one key path rooted at an object. It keeps a watch on
// every object along the path, and rebuilds that chain after each change so
// that a replaced head object is followed and a detached one is not.
class KeyPathObservation {
public:
    KeyPathObservation(KVObject* root, ObservationId id, const QString& keyPath, QObject* context,
                       KeyValueObserver observer)
        : m_root(root), m_id(id), m_keyPath(keyPath), m_path(splitKeyPath(keyPath)), m_ownContext(context == root),
          m_context(m_ownContext ? nullptr : context), m_hasContext(context && !m_ownContext),
          m_observer(std::move(observer))
    {
        attach();
    }

    ~KeyPathObservation()
    {
        detach();
        QObject::disconnect(m_contextConnection);
    }

    // An object on the path goes: it is not watched any more, and once it
    // is gone whatever its holder gives instead is followed (reattach).
    void forget(const KVObject* gone)
    {
        for (Link& link : m_chain) {
            if (link.object == gone)
                link.object = nullptr;
        }
    }

    // Follows the objects the path now goes through.
    void reattach()
    {
        if (chainIsCurrent())
            return;
        detach();
        attach();
    }

    KVObject* root() const { return m_root; }
    ObservationId id() const { return m_id; }
    QObject* context() const { return m_ownContext ? m_root : m_context.data(); }
    void setContextConnection(QMetaObject::Connection connection) { m_contextConnection = connection; }

    void willChange()
    {
        if (m_pending++ == 0)
            m_oldValue = currentValue();
    }

    void didChange()
    {
        QVariant oldValue;
        if (m_pending > 0) {
            if (--m_pending > 0)
                return;
            oldValue = std::move(m_oldValue);
            m_oldValue = QVariant();
        }
        reattach();
        if (m_hasContext && !m_context)
            return;
        const KeyValueChange change{m_keyPath, oldValue, currentValue()};
        // The observer may remove this observation; keep it alive for the call.
        const KeyValueObserver observer = m_observer;
        observer(change);
    }

private:
    void attach()
    {
        KVObject* object = m_root;
        for (qsizetype i = 0; i < m_path.size() && object; ++i) {
            m_chain.push_back({object, object->addWatch(m_path[i], this)});
            if (i + 1 < m_path.size())
                object = KVObject::objectAt(*object, m_path[i]);
        }
    }

    void detach()
    {
        for (const Link& link : m_chain) {
            if (link.object)
                link.object->removeWatch(link.watch);
        }
        m_chain.clear();
    }

    bool chainIsCurrent() const
    {
        KVObject* object = m_root;
        qsizetype i = 0;
        for (; i < m_path.size() && object; ++i) {
            if (i >= m_chain.size() || m_chain[i].object != object)
                return false;
            if (i + 1 < m_path.size())
                object = KVObject::objectAt(*object, m_path[i]);
        }
        return i == m_chain.size();
    }

    // The value at the end of the path, as valueForKeyPath would answer it,
    // without splitting the path again.
    QVariant currentValue() const
    {
        const KVObject* object = m_root;
        for (qsizetype i = 0; i + 1 < m_path.size(); ++i) {
            object = qobject_cast<const KVObject*>(objectFromVariant(object->valueForKey(m_path[i])));
            if (!object)
                return QVariant();
        }
        return object->valueForKey(m_path.last());
    }

    KVObject* m_root;
    ObservationId m_id;
    QString m_keyPath;
    QStringList m_path;
    // An object observing itself needs no guard: the observation goes with it.
    bool m_ownContext;
    QPointer<QObject> m_context;
    bool m_hasContext;
    KeyValueObserver m_observer;
    QMetaObject::Connection m_contextConnection;
    // Each watched object tells the observation as it goes (forget), so a
    // plain pointer is enough.
    struct Link {
        KVObject* object;
        quint64 watch;
    };
    QVarLengthArray<Link, 2> m_chain;
    int m_pending = 0;
    QVariant m_oldValue;
};

KVObject::KVObject(QObject* parent) : QObject(parent) {}

KVObject::~KVObject()
{
    for (AliveMark* mark = m_aliveMarks; mark; mark = mark->next)
        mark->alive = false;
    m_aliveMarks = nullptr;
    // Observations detach from the other objects on their paths.
    m_observations.clear();
    dropOwnLinks();
    // Those watching through this object stop watching it now, and follow
    // what takes its place once guarded pointers to it read null (a holder
    // may fall back to another object then). Rare: views drop their watches
    // before their parts go.
    struct Watcher {
        QPointer<KVObject> root;
        quint64 id;
        bool path;
    };
    QVarLengthArray<Watcher, 4> watchers;
    for (const KeyWatch& watch : m_watches) {
        if (watch.gone)
            continue;
        if (watch.owner) {
            watch.owner->forget(this);
            watchers.append({watch.owner->root(), watch.owner->id(), true});
        } else if (watch.root) {
            watch.root->forgetOwnHead(this);
            watchers.append({watch.root, watch.rootId, false});
        }
    }
    m_watches.clear();
    m_goneWatches = 0;
    if (watchers.isEmpty())
        return;
    connect(this, &QObject::destroyed, [watchers] {
        for (const Watcher& watcher : watchers) {
            if (watcher.root)
                watcher.root->followAfterLoss(watcher.id, watcher.path);
        }
    });
}

void KVObject::followAfterLoss(quint64 id, bool path)
{
    if (path) {
        for (const auto& observation : m_observations) {
            if (observation->id() == id)
                observation->reattach();
        }
    } else if (const OwnKeys* keys = ownKeysOf(id)) {
        relinkOwnPath(id, ownPathOf(*keys, id));
    }
}

KVObject* KVObject::objectAt(const KVObject& object, const QString& key)
{
    return qobject_cast<KVObject*>(objectFromVariant(object.valueForKey(key)));
}

const PropertyTable& KVObject::baseTable()
{
    static const PropertyTable table;
    return table;
}

const PropertyTable& KVObject::properties() const
{
    return baseTable();
}

QVariant KVObject::valueForKey(QStringView key) const
{
    const PropertyDef* def = properties().find(key);
    return def ? def->get(*this) : QVariant();
}

QVariant KVObject::valueForKeyPath(QStringView keyPath) const
{
    const KVObject* object = this;
    const auto parts = keyPath.split(QLatin1Char('.'));
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        object = qobject_cast<const KVObject*>(objectFromVariant(object->valueForKey(parts[i])));
        if (!object)
            return QVariant();
    }
    return object->valueForKey(parts.last());
}

Status KVObject::setValueForKey(QStringView key, const QVariant& value)
{
    const PropertyDef* def = properties().find(key);
    if (!def) {
        return keyValueError(UnknownKey, QStringLiteral("%1 has no property \"%2\"")
                                             .arg(QString::fromLatin1(metaObject()->className()), key.toString()));
    }
    return checkedSet(*def, value);
}

Status KVObject::setValueForKeyPath(QStringView keyPath, const QVariant& value)
{
    KVObject* object = this;
    const auto parts = keyPath.split(QLatin1Char('.'));
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        if (!object->hasKey(parts[i])) {
            return keyValueError(UnknownKey, QStringLiteral("key path \"%1\": %2 has no property \"%3\"")
                                                 .arg(keyPath.toString(),
                                                      QString::fromLatin1(object->metaObject()->className()),
                                                      parts[i].toString()));
        }
        KVObject* next = qobject_cast<KVObject*>(objectFromVariant(object->valueForKey(parts[i])));
        if (!next) {
            return keyValueError(NullInPath, QStringLiteral("key path \"%1\": \"%2\" is null")
                                                 .arg(keyPath.toString(), parts[i].toString()));
        }
        object = next;
    }
    return object->setValueForKey(parts.last(), value);
}

Status KVObject::checkedSet(const PropertyDef& def, const QVariant& value)
{
    if (!def.set) {
        return keyValueError(ReadOnlyKey, QStringLiteral("property \"%1\" of %2 is read-only")
                                              .arg(def.name, QString::fromLatin1(metaObject()->className())));
    }
    const bool null = !value.isValid() || value.isNull();
    bool fits = true;
    switch (def.kind) {
    case ValueKind::Bool:
    case ValueKind::Int:
    case ValueKind::Double:
    case ValueKind::Float:
        fits = !null && isNumeric(value);
        break;
    case ValueKind::Number:
        fits = null || isNumeric(value);
        break;
    case ValueKind::String:
        fits = null || value.typeId() == QMetaType::QString;
        break;
    case ValueKind::Object: {
        if (null)
            break;
        QObject* object = objectFromVariant(value);
        fits = object && (!def.objectClass || def.objectClass->cast(object));
        break;
    }
    case ValueKind::Value:
        fits = null ? def.nullable : value.metaType() == def.valueType && itemsFit(def, value);
        break;
    case ValueKind::Any:
        break;
    }
    if (!fits) {
        const QString expected = def.kind == ValueKind::Value ? QString::fromLatin1(def.valueType.name())
                                                               : valueKindName(def.kind);
        return keyValueError(WrongKind, QStringLiteral("property \"%1\" of %2 takes a %3, not %4")
                                            .arg(def.name, QString::fromLatin1(metaObject()->className()),
                                                 expected,
                                                 null ? QStringLiteral("null")
                                                      : QString::fromLatin1(value.typeName())));
    }
    def.set(*this, null && def.kind != ValueKind::Any ? QVariant() : value);
    return {};
}

ObservationId KVObject::addObserver(const QString& keyPath, QObject* context, KeyValueObserver observer)
{
    const ObservationId id = nextId();
    if (context == this && !keyPath.contains(QLatin1Char('.'))) {
        // Ids grow, so the watch keeps its place in the sorted list.
        m_watches.push_back({id, keyPath, nullptr, std::move(observer)});
        return id;
    }
    auto observation = std::make_unique<KeyPathObservation>(this, id, keyPath, context, std::move(observer));
    if (context && context != this) {
        observation->setContextConnection(
            connect(context, &QObject::destroyed, this, [this, id] { removeObserver(id); }));
    }
    m_observations.push_back(std::move(observation));
    return id;
}

void KVObject::removeObserver(ObservationId id)
{
    std::erase_if(m_pending, [id](const PendingChange& pending) { return pending.id == id; });
    if (const auto own = findWatch(id); own != m_watches.end() && !own->owner) {
        removeWatch(id);
        return;
    }
    std::erase_if(m_observations, [id](const auto& observation) { return observation->id() == id; });
}

void KVObject::removeObservers(QObject* context)
{
    if (context == this) {
        // The gone go too: none has an owner or a root.
        std::erase_if(m_watches, [](const KeyWatch& watch) { return !watch.owner && !watch.root; });
        m_goneWatches = 0;
        dropOwnLinks();
        m_ownKeys.clear();
        m_pending.clear();
    }
    std::erase_if(m_observations, [context](const auto& observation) { return observation->context() == context; });
}

void KVObject::observeOwnKeyPaths(const QStringList& paths, OwnKeyObserver observer)
{
    const std::vector<OwnPath>& split = splitOwnPaths(paths);
    const quint64 firstId = reserveIds(paths.size());
    m_ownKeys.push_back({&paths, &split, observer, firstId});
    // A "head.tail" path watches the head object's tail key from here; a
    // longer path is an ordinary observation (and never matches a key here).
    // Paths through one head stand together in the lists: it is looked up
    // once for them.
    const QString* lastHead = nullptr;
    KVObject* head = nullptr;
    for (size_t i = 0; i < split.size(); ++i) {
        if (split[i].linked) {
            if (!lastHead || *lastHead != split[i].head) {
                lastHead = &split[i].head;
                head = ownHead(split[i]);
            }
            m_ownLinks.push_back({firstId + i, head, head ? head->addWatch(split[i].tail, this, firstId + i) : 0});
        } else if (split[i].deep) {
            addObserver(paths.at(qsizetype(i)), this,
                        [this, observer](const KeyValueChange& change) { observer(*this, change); });
        }
    }
}

const KVObject::OwnPath& KVObject::ownPathOf(const OwnKeys& keys, quint64 id) const
{
    return (*keys.split)[size_t(id - keys.firstId)];
}

KVObject* KVObject::ownHead(const OwnPath& path) const
{
    return objectAt(*this, path.head);
}

// The value at the end of an own path, as valueForKeyPath would answer it.
QVariant KVObject::ownValue(const OwnPath& path) const
{
    if (!path.linked)
        return valueForKey(path.head);
    const KVObject* head = ownHead(path);
    return head ? head->valueForKey(path.tail) : QVariant();
}

// Follows a replaced (or gone) head object; most changes leave it in place.
void KVObject::relinkOwnPath(quint64 id, const OwnPath& path)
{
    const auto link = std::find_if(m_ownLinks.begin(), m_ownLinks.end(),
                                   [id](const OwnLink& own) { return own.id == id; });
    if (link == m_ownLinks.end())
        return;
    KVObject* head = ownHead(path);
    if (link->head == head)
        return;
    if (link->head)
        link->head->removeWatch(link->watch);
    link->head = head;
    link->watch = head ? head->addWatch(path.tail, this, id) : 0;
}

void KVObject::dropOwnLinks()
{
    for (const OwnLink& link : m_ownLinks) {
        if (link.head)
            link.head->removeWatch(link.watch);
    }
    m_ownLinks.clear();
}

void KVObject::forgetOwnHead(const KVObject* gone)
{
    for (OwnLink& link : m_ownLinks) {
        if (link.head == gone)
            link.head = nullptr;
    }
}

const KVObject::OwnKeys* KVObject::ownKeysOf(quint64 id) const
{
    for (const OwnKeys& keys : m_ownKeys) {
        if (id >= keys.firstId && id - keys.firstId < quint64(keys.paths->size()))
            return &keys;
    }
    return nullptr;
}

quint64 KVObject::addWatch(const QString& key, KeyPathObservation* owner)
{
    const quint64 id = nextId();
    m_watches.push_back({id, key, owner});
    return id;
}

quint64 KVObject::addWatch(const QString& key, KVObject* root, quint64 rootId)
{
    const quint64 id = nextId();
    m_watches.push_back({id, key, nullptr, {}, root, rootId});
    return id;
}

std::vector<KVObject::KeyWatch>::iterator KVObject::findWatch(quint64 id)
{
    const auto found = std::lower_bound(m_watches.begin(), m_watches.end(), id,
                                        [](const KeyWatch& watch, quint64 wanted) { return watch.id < wanted; });
    return found != m_watches.end() && found->id == id && !found->gone ? found : m_watches.end();
}

std::vector<KVObject::KeyWatch>::const_iterator KVObject::findWatch(quint64 id) const
{
    return const_cast<KVObject*>(this)->findWatch(id);
}

void KVObject::removeWatch(quint64 id)
{
    const auto found = findWatch(id);
    if (found == m_watches.end())
        return;
    *found = KeyWatch {id, {}, nullptr, {}, nullptr, 0, true};
    if (++m_goneWatches > m_watches.size() / 2) {
        std::erase_if(m_watches, [](const KeyWatch& watch) { return watch.gone; });
        m_goneWatches = 0;
    }
}

KVObject::WatchIds KVObject::watchesForKey(const QString& key) const
{
    WatchIds ids;
    for (const KeyWatch& watch : m_watches) {
        if (watch.key == key && !watch.gone)
            ids.append(watch.id);
    }
    bool own = false;
    for (const OwnKeys& keys : m_ownKeys) {
        const std::vector<OwnPath>& split = *keys.split;
        // Most keys differ from most paths in length or first letter.
        const qsizetype length = key.size();
        const QChar first = length ? key.front() : QChar();
        for (size_t i = 0; i < split.size(); ++i) {
            const QString& head = split[i].head;
            if (head.size() == length && (!length || head.front() == first) && !split[i].deep && head == key) {
                ids.append(keys.firstId + quint64(i));
                own = true;
            }
        }
    }
    // Every observer in the order it was added.
    if (own)
        std::sort(ids.begin(), ids.end());
    return ids;
}

void KVObject::ownKeyWillChange(quint64 id, const OwnPath* path, const QString& key)
{
    for (PendingChange& pending : m_pending) {
        if (pending.id == id) {
            ++pending.depth;
            return;
        }
    }
    QVariant oldValue = path ? ownValue(*path) : valueForKey(key);
    m_pending.push_back({id, 1, std::move(oldValue)});
}

bool KVObject::ownKeyDidChange(quint64 id, QVariant& oldValue)
{
    const auto pending = std::find_if(m_pending.begin(), m_pending.end(),
                                      [id](const PendingChange& change) { return change.id == id; });
    if (pending == m_pending.end())
        return true;
    if (--pending->depth > 0)
        return false;
    oldValue = std::move(pending->oldValue);
    m_pending.erase(pending);
    return true;
}

void KVObject::willChange(quint64 id)
{
    if (const OwnKeys* keys = ownKeysOf(id)) {
        ownKeyWillChange(id, &ownPathOf(*keys, id), {});
        return;
    }
    const auto watch = findWatch(id);
    if (watch == m_watches.end())
        return;
    if (watch->owner)
        watch->owner->willChange();
    else if (watch->root)
        watch->root->willChange(watch->rootId);
    else
        ownKeyWillChange(id, nullptr, watch->key);
}

void KVObject::didChange(quint64 id)
{
    QVariant oldValue;
    if (const OwnKeys* keys = ownKeysOf(id)) {
        const QString path = keys->paths->at(qsizetype(id - keys->firstId));
        const OwnPath& own = ownPathOf(*keys, id);
        const OwnKeyObserver observer = keys->observer;
        if (own.linked)
            relinkOwnPath(id, own);
        if (ownKeyDidChange(id, oldValue))
            observer(*this, KeyValueChange{path, std::move(oldValue), ownValue(own)});
        return;
    }
    const auto watch = findWatch(id);
    if (watch == m_watches.end())
        return;
    if (watch->owner) {
        watch->owner->didChange();
        return;
    }
    if (watch->root) {
        watch->root->didChange(watch->rootId);
        return;
    }
    // The observer may remove its own watch; keep what the call needs.
    const KeyValueObserver observer = watch->observer;
    const QString key = watch->key;
    if (ownKeyDidChange(id, oldValue))
        observer(KeyValueChange{key, std::move(oldValue), valueForKey(key)});
}

void KVObject::willChangeValueForKey(const QString& key)
{
    // Looked up one by one: an observer may add or remove watches meanwhile.
    for (quint64 id : watchesForKey(key))
        willChange(id);
}

void KVObject::didChangeValueForKey(const QString& key)
{
    // An observer may also delete this object (closing what it shows).
    const AliveMark mark(this);
    for (quint64 id : watchesForKey(key)) {
        if (!mark.alive)
            return;
        didChange(id);
    }
    if (mark.alive)
        emit valueChanged(key);
}

} // namespace ql
