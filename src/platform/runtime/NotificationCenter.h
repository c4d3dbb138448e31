// Broadcast notifications by literal name, with a sender and a user-info map.
// Delivery is synchronous, in the order observers were added.
#pragma once

#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <functional>
#include <vector>

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

    void post(const QString& name, QObject* sender = nullptr, const QVariantMap& userInfo = {});

private:
    struct Entry {
        quint64 id;
        QPointer<QObject> context;
        QString name;
        QPointer<QObject> sender;
        bool anySender;
        Observer observer;
        QMetaObject::Connection contextConnection;
    };
    static void erase(std::vector<Entry>& entries, const std::function<bool(const Entry&)>& match);
    std::vector<Entry> m_entries;
    quint64 m_nextId = 0;
};

} // namespace ql
