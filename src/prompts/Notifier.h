// The notices prompt: fetches a property list of short notices from a web
// server, drops those the user has seen or dismissed and those meant for
// other versions, and shows the newest one left in a sheet with buttons to
// follow its link, ignore it, or be reminded later.
#pragma once

#include "platform/archive/PlistValue.h"
#include "prompts/DelegateSlot.h"
#include "prompts/NotifierDelegate.h"
#include "prompts/PromptEnvironment.h"
#include "prompts/PromptHttp.h"
#include "prompts/StringBundle.h"

#include <QDateTime>
#include <QObject>
#include <QUrl>
#include <optional>

class QNetworkAccessManager;

namespace ql {

class Notifier : public QObject {
    Q_OBJECT
public:
    using Notices = PlistValue::Dictionary;

    // Listens for the finished-launching notification from now on.
    explicit Notifier(const PromptEnvironment& env = {}, QObject* parent = nullptr);
    ~Notifier() override;

    static Notifier& sharedInstance();
    static void load(const PromptEnvironment& env = {});

    // Settings.
    QString notificationsPlistURL;
    QString applicationVersion() const { return m_applicationVersion; }
    void setApplicationVersion(const QString& version) { m_applicationVersion = version; }
    float checkPeriod = 0.5f;  // days
    float remindPeriod = 1.0f; // days
    bool showOldestFirst = false;
    bool showOnFirstLaunch = false;
    bool checkAtLaunch = true;
    bool onlyPromptIfMainWindowIsAvailable = true;
    bool debug = false;
    QString okButtonLabel();
    void setOkButtonLabel(const std::optional<QString>& text) { m_okButtonLabel = text; }
    QString ignoreButtonLabel();
    void setIgnoreButtonLabel(const std::optional<QString>& text) { m_ignoreButtonLabel = text; }
    QString remindButtonLabel();
    void setRemindButtonLabel(const std::optional<QString>& text) { m_remindButtonLabel = text; }
    QString defaultActionButtonLabel();
    void setDefaultActionButtonLabel(const std::optional<QString>& text) { m_defaultActionButtonLabel = text; }

    std::shared_ptr<NotifierDelegate> delegate() { return m_delegate.get(m_env); }
    void setDelegate(std::weak_ptr<NotifierDelegate> delegate) { m_delegate.set(std::move(delegate)); }

    // Run-time state.
    const std::optional<Notices>& notificationsDict() const { return m_notificationsDict; }
    const std::optional<Error>& downloadError() const { return m_downloadError; }
    bool currentlyChecking() const { return m_currentlyChecking; }
    bool hasVisibleAlert() const { return m_visibleAlert.has_value(); }
    // The notice the alert on screen shows.
    std::optional<QString> visibleNotificationKey() const;

    // Stored state.
    QStringList ignoredNotifications() const;
    void setIgnoredNotifications(const QStringList& keys);
    QStringList viewedNotifications() const;
    void setViewedNotifications(const QStringList& keys);
    QDateTime lastChecked() const;
    void setLastChecked(const QDateTime& date);
    QDateTime lastReminded() const;
    void setLastReminded(const QDateTime& date);
    void setNotificationIgnored(const QString& key);
    void setNotificationViewed(const QString& key);

    // Steps.
    void applicationLaunched();
    void checkForNotifications();
    bool shouldCheckForNotifications();
    void checkForNotificationsInBackground();
    // Filters the fetched notices; none when the fetch failed.
    void setNotificationsDict(const std::optional<Notices>& fetched);
    void downloadedNotificationsData();
    std::optional<QString> nextNotificationInDict(const Notices& notices) const;
    // Only web and mail links count: a fetched list must not make the
    // desktop run or open anything else.
    bool canOpenURL(const QUrl& url) const;
    QString localizedStringForKey(const QString& key);
    void alertDidEnd(int returnCode);

    // Reads a fetched list: a dictionary of notice dictionaries, with bounds.
    static Result<Notices> readNotices(const QByteArray& data);

private:
    struct ShownNotice {
        QString key;
        PlistValue details;
    };
    void finishFetch(const HttpAnswer& answer);
    void debugLog(const QString& line) const;

    PromptEnvironment m_env;
    QNetworkAccessManager* m_network;
    DelegateSlot<NotifierDelegate> m_delegate {&ApplicationDelegate::notifier};
    std::optional<StringBundle> m_strings;

    QString m_applicationVersion;
    std::optional<QString> m_okButtonLabel, m_ignoreButtonLabel, m_remindButtonLabel, m_defaultActionButtonLabel;

    std::optional<Notices> m_notificationsDict;
    std::optional<Error> m_downloadError;
    std::optional<ShownNotice> m_visibleAlert;
    bool m_currentlyChecking = false;
};

} // namespace ql
