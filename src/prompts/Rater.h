// The rating prompt: counts how long and how often the program is used and,
// once enough use has built up and the store look-up has succeeded, asks in
// a sheet to rate the program, to decline, or to be reminded later. All its
// memory lives in the user defaults.
#pragma once

#include "prompts/DelegateSlot.h"
#include "prompts/PromptEnvironment.h"
#include "prompts/PromptStrings.h"
#include "prompts/RaterDelegate.h"
#include "prompts/StoreLookup.h"

#include <QDateTime>
#include <QObject>
#include <QUrl>
#include <optional>

class QNetworkAccessManager;

namespace ql {

inline const QString raterErrorDomain = QStringLiteral("RaterErrorDomain");

class Rater : public QObject {
    Q_OBJECT
public:
    enum ErrorCode { BundleIdDoesNotMatchAppStore = 1, ApplicationNotFoundOnAppStore = 2, ApplicationIsNotLatestVersion = 3 };

    // Takes its defaults from the environment and the locale, and runs
    // applicationLaunched on the next turn of the event loop.
    explicit Rater(const PromptEnvironment& env = {}, QObject* parent = nullptr);
    ~Rater() override;

    // The program's rating prompt; load() makes it, before start-up configures it.
    static Rater& sharedInstance();
    static void load(const PromptEnvironment& env = {});

    // Settings.
    quint64 appStoreID() const; // the stored identifier when none is set
    void setAppStoreID(quint64 id) { m_appStoreID = id; }
    quint64 appStoreGenreID() const { return m_appStoreGenreID; }
    void setAppStoreGenreID(quint64 id) { m_appStoreGenreID = id; }
    QString appStoreCountry() const { return m_appStoreCountry; }
    void setAppStoreCountry(const QString& country) { m_appStoreCountry = country; }
    QString applicationName() const { return m_applicationName; }
    void setApplicationName(const QString& name) { m_applicationName = name; }
    QString applicationVersion() const { return m_applicationVersion; }
    void setApplicationVersion(const QString& version) { m_applicationVersion = version; }
    QString applicationBundleID() const { return m_applicationBundleID; }
    void setApplicationBundleID(const QString& id) { m_applicationBundleID = id; }
    uint usesUntilPrompt() const { return m_usesUntilPrompt; }
    void setUsesUntilPrompt(uint uses) { m_usesUntilPrompt = uses; }
    uint eventsUntilPrompt() const { return m_eventsUntilPrompt; }
    void setEventsUntilPrompt(uint events) { m_eventsUntilPrompt = events; }
    float daysUntilPrompt() const { return m_daysUntilPrompt; }
    void setDaysUntilPrompt(float days) { m_daysUntilPrompt = days; }
    float usesPerWeekForPrompt() const { return m_usesPerWeekForPrompt; }
    void setUsesPerWeekForPrompt(float uses) { m_usesPerWeekForPrompt = uses; }
    float remindPeriod() const { return m_remindPeriod; }
    void setRemindPeriod(float days) { m_remindPeriod = days; }

    // Texts: the set one, else the localised default ("%@" is the name).
    QString messageTitle();
    void setMessageTitle(const std::optional<QString>& text) { m_messageTitle = text; }
    QString message();
    void setMessage(const std::optional<QString>& text) { m_message = text; }
    QString updateMessage();
    void setUpdateMessage(const std::optional<QString>& text) { m_updateMessage = text; }
    QString cancelButtonLabel();
    void setCancelButtonLabel(const std::optional<QString>& text) { m_cancelButtonLabel = text; }
    QString remindButtonLabel();
    void setRemindButtonLabel(const std::optional<QString>& text) { m_remindButtonLabel = text; }
    QString rateButtonLabel();
    void setRateButtonLabel(const std::optional<QString>& text) { m_rateButtonLabel = text; }

    // Switches. useUIAlertControllerIfAvailable has no effect on this desktop.
    bool useUIAlertControllerIfAvailable = false;
    bool useAllAvailableLanguages = true;
    bool promptForNewVersionIfUserRated = false;
    bool onlyPromptIfLatestVersion = true;
    bool onlyPromptIfMainWindowIsAvailable = true;
    bool promptAtLaunch = true;
    bool verboseLogging = false;
    bool previewMode = false;

    // The rate button's page: the set one, else the store page of the identifier.
    QUrl ratingsURL();
    void setRatingsURL(const QUrl& url) { m_ratingsURL = url; }

    std::shared_ptr<RaterDelegate> delegate() { return m_delegate.get(m_env); }
    void setDelegate(std::weak_ptr<RaterDelegate> delegate) { m_delegate.set(std::move(delegate)); }

    bool hasVisibleAlert() const { return m_visibleAlert; }
    bool checkingForPrompt() const { return m_checkingForPrompt; }
    bool checkingForAppStoreID() const { return m_checkingForAppStoreID; }

    // Stored state.
    QDateTime firstUsed() const;
    void setFirstUsed(const QDateTime& date);
    QDateTime lastReminded() const;
    void setLastReminded(const QDateTime& date);
    uint usesCount() const;
    void setUsesCount(uint count);
    uint eventCount() const;
    void setEventCount(uint count);
    float usesPerWeek() const;
    bool declinedThisVersion() const;
    void setDeclinedThisVersion(bool declined);
    bool declinedAnyVersion() const;
    bool ratedThisVersion() const;
    void setRatedThisVersion(bool rated);
    bool ratedAnyVersion() const;
    bool ratedVersion(const QString& version) const;

    // Steps.
    void applicationLaunched();
    bool shouldPromptForRating();
    void promptIfAllCriteriaMet();
    void promptIfNetworkAvailable();
    void checkForConnectivityInBackground();
    void connectionSucceeded();
    void connectionError(const std::optional<Error>& error);
    void promptForRating();
    bool showCancelButton() { return !cancelButtonLabel().isEmpty(); }
    bool showRemindButton() { return !remindButtonLabel().isEmpty(); }
    void alertDidEnd(int returnCode) { didDismissAlert(returnCode - 1000); }
    void didDismissAlert(int buttonIndex);
    void rate();
    void declineThisVersion();
    void remindLater();
    void openRatingsPageInAppStore();
    void incrementUseCount() { setUsesCount(usesCount() + 1); }
    void incrementEventCount() { setEventCount(eventCount() + 1); }
    void logEvent(bool deferPrompt);

    QString localizedStringForKey(const QString& key, const QString& defaultText);
    void setAppStoreIDOnMainThread(const QVariant& number);
    void openAppPageWhenAppStoreLaunched();

private:
    void finishLookup(const StoreAnswer& answer);
    void verboseLog(const QString& line) const;
    double secondsSince(const QDateTime& date) const;
    QString withName(QString text) const;

    PromptEnvironment m_env;
    QNetworkAccessManager* m_network;
    PromptStrings m_strings {QStringLiteral("Rater")};
    DelegateSlot<RaterDelegate> m_delegate {&ApplicationDelegate::rater};

    quint64 m_appStoreID = 0;
    quint64 m_appStoreGenreID = 0;
    QString m_appStoreCountry;
    QString m_applicationName;
    QString m_applicationVersion;
    QString m_applicationBundleID;
    uint m_usesUntilPrompt = 10;
    uint m_eventsUntilPrompt = 10;
    float m_daysUntilPrompt = 10.0f;
    float m_usesPerWeekForPrompt = 0.0f;
    float m_remindPeriod = 1.0f;
    std::optional<QString> m_messageTitle, m_message, m_updateMessage;
    std::optional<QString> m_cancelButtonLabel, m_remindButtonLabel, m_rateButtonLabel;
    QUrl m_ratingsURL;

    bool m_visibleAlert = false;
    bool m_checkingForPrompt = false;
    bool m_checkingForAppStoreID = false;
    bool m_lookupRunning = false;
};

} // namespace ql
