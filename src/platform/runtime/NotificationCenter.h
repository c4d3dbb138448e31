// Broadcast notifications by literal name, with a sender and a user-info map.
// Delivery is synchronous, in the order observers were added.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <functional>
#include <set>
#include <unordered_map>

namespace ql {

struct Notification {
    QString name;
    QObject* sender = nullptr;
    QVariantMap userInfo;
};

class NotificationCenter : public QObject {
    Q_OBJECT
public:
    using Observer = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // An empty name matches every name; a null sender matches every sender.
    // The observation ends when `context` is destroyed or removed.
    quint64 addObserver(QObject* context, const QString& name, QObject* sender, Observer observer);
    void removeObserver(quint64 id);
    void removeObservers(QObject* context);

    // Costs as much as the observers of `name` (and of every name), however
    // many observe other names.
    void post(const QString& name, QObject* sender = nullptr, const QVariantMap& userInfo = {});

private:
    struct Entry {
        const QObject* context;
        QString name;
        QPointer<QObject> sender;
        bool anySender;
        Observer observer;
        QMetaObject::Connection contextConnection;
    };
    // Ids grow with every addition, so an ordered set of them is the order
    // of addition.
    using Ids = std::set<quint64>;

    std::unordered_map<quint64, Entry> m_entries;
    QHash<QString, Ids> m_byName;
    QHash<const QObject*, Ids> m_byContext;
    quint64 m_nextId = 0;
};

} // namespace ql
