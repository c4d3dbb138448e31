#include "platform/runtime/NotificationCenter.h"

#include <algorithm>

namespace ql {

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
    m_entries.push_back({id, QPointer<QObject>(context), name, QPointer<QObject>(sender), sender == nullptr,
                         std::move(observer), connection});
    return id;
}

void NotificationCenter::erase(std::vector<Entry>& entries, const std::function<bool(const Entry&)>& match)
{
    // A long-lived context must not collect a connection per observation it
    // ever had.
    std::erase_if(entries, [&match](const Entry& entry) {
        if (!match(entry))
            return false;
        QObject::disconnect(entry.contextConnection);
        return true;
    });
}

void NotificationCenter::removeObserver(quint64 id)
{
    erase(m_entries, [id](const Entry& entry) { return entry.id == id; });
}

void NotificationCenter::removeObservers(QObject* context)
{
    erase(m_entries, [context](const Entry& entry) { return entry.context == context; });
}

void NotificationCenter::post(const QString& name, QObject* sender, const QVariantMap& userInfo)
{
    const Notification notification{name, sender, userInfo};
    std::vector<quint64> matching;
    for (const Entry& entry : m_entries) {
        const bool nameMatches = entry.name.isEmpty() || entry.name == name;
        // A sender filter whose object is gone matches nothing.
        const bool senderMatches = entry.anySender || (entry.sender && entry.sender == sender);
        if (nameMatches && senderMatches)
            matching.push_back(entry.id);
    }
    // Observers may add or remove observers while they run.
    for (quint64 id : matching) {
        auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const Entry& entry) { return entry.id == id; });
        if (it == m_entries.end())
            continue;
        const Observer observer = it->observer;
        observer(notification);
    }
}

} // namespace ql
