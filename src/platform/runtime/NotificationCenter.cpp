#include "platform/runtime/NotificationCenter.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace ql {

namespace {

template <class Index, class Key>
void removeId(Index& index, const Key& key, quint64 id)
{
    const auto found = index.find(key);
    if (found == index.end())
        return;
    found->erase(id);
    if (found->empty())
        index.erase(found);
}

} // namespace

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

quint64 NotificationCenter::addObserver(QObject* context, const QString& name, QObject* sender, Observer observer)
{
    const quint64 id = ++m_nextId;
    QMetaObject::Connection connection;
    if (context)
        connection = connect(context, &QObject::destroyed, this, [this, id] { removeObserver(id); });
    m_entries.emplace(id, Entry {context, name, QPointer<QObject>(sender), sender == nullptr, std::move(observer),
                                 connection});
    m_byName[name].insert(id);
    m_byContext[context].insert(id);
    return id;
}

void NotificationCenter::removeObserver(quint64 id)
{
    const auto found = m_entries.find(id);
    if (found == m_entries.end())
        return;
    // A long-lived context must not collect a connection per observation it
    // ever had.
    QObject::disconnect(found->second.contextConnection);
    removeId(m_byName, found->second.name, id);
    removeId(m_byContext, found->second.context, id);
    m_entries.erase(found);
}

void NotificationCenter::removeObservers(QObject* context)
{
    const auto found = m_byContext.constFind(context);
    if (found == m_byContext.constEnd())
        return;
    const Ids ids = *found;
    for (quint64 id : ids)
        removeObserver(id);
}

void NotificationCenter::post(const QString& name, QObject* sender, const QVariantMap& userInfo)
{
    const Notification notification {name, sender, userInfo};
    // Observers of this name and of every name, merged into the order they
    // were added.
    static const Ids none;
    const auto named = m_byName.constFind(name);
    const auto everyName = name.isEmpty() ? m_byName.constEnd() : m_byName.constFind(QString());
    const Ids& forName = named == m_byName.constEnd() ? none : *named;
    const Ids& forAll = everyName == m_byName.constEnd() ? none : *everyName;
    std::vector<quint64> candidates;
    candidates.reserve(forName.size() + forAll.size());
    std::merge(forName.begin(), forName.end(), forAll.begin(), forAll.end(), std::back_inserter(candidates));

    // Observers may add or remove observers while they run: those added now
    // wait for the next post, those removed are not called.
    for (quint64 id : candidates) {
        const auto found = m_entries.find(id);
        if (found == m_entries.end())
            continue;
        const Entry& entry = found->second;
        // A sender filter whose object is gone matches nothing.
        if (!entry.anySender && !(entry.sender && entry.sender == sender))
            continue;
        const Observer observer = entry.observer;
        observer(notification);
    }
}

} // namespace ql
