// The new-version prompt. After an update it shows, once, the notes of the
// versions that are new since the last launch; and it asks the store (and,
// if given, a release-notes list on a web server) for a newer version and
// offers to download it, to ignore it, or to be reminded later.
#pragma once

#include "prompts/DelegateSlot.h"
#include "prompts/PromptEnvironment.h"
#include "prompts/PromptStrings.h"
#include "prompts/ReleaseNotes.h"
#include "prompts/StoreLookup.h"
#include "prompts/VersionerDelegate.h"

#include <QDateTime>
#include <QObject>
#include <QUrl>
#include <optional>

class QNetworkAccessManager;

namespace ql {

inline const QString versionerErrorDomain = QStringLiteral("VersionerErrorDomain");

class Versioner : public QObject {
    Q_OBJECT
public:
    enum ErrorCode { BundleIdDoesNotMatchAppStore = 1, ApplicationNotFoundOnAppStore = 2, OSVersionNotSupported = 3 };

    explicit Versioner(const PromptEnvironment& env = {}, QObject* parent = nullptr);
    ~Versioner() override;

    static Versioner& sharedInstance();
    static void load(const PromptEnvironment& env = {});

    // Settings.
    quint64 appStoreID() const; // held in the user defaults only
    void setAppStoreID(quint64 id);
    QString applicationVersion() const { return m_applicationVersion; }
    void setApplicationVersion(const QString& version) { m_applicationVersion = version; }
    QString applicationBundleID() const { return m_applicationBundleID; }
    void setApplicationBundleID(const QString& id) { m_applicationBundleID = id; }
    QString appStoreCountry() const { return m_appStoreCountry; }
    void setAppStoreCountry(const QString& country) { m_appStoreCountry = country; }
    bool showOnFirstLaunch = false;
    bool groupNotesByVersion = false;
    float checkPeriod = 0.0f;  // days
    float remindPeriod = 1.0f; // days
    int updatePriority = 0;
    bool useUIAlertControllerIfAvailable = false; // no effect on this desktop
    bool useAllAvailableLanguages = true;
    bool onlyPromptIfMainWindowIsAvailable = true;
    bool useAppStoreDetailsIfNoPlistEntryFound = false;
    bool checkAtLaunch = true;
    bool verboseLogging = false;
    bool previewMode = false;
    QString remoteVersionsPlistURL;
    QString localVersionsPlistPath; // relative to the resources folder
    QUrl updateURL();
    void setUpdateURL(const QUrl& url) { m_updateURL = url; }

    // Texts: the set one, else the localised default.
    QString inThisVersionTitle();
    void setInThisVersionTitle(const std::optional<QString>& text) { m_inThisVersionTitle = text; }
    QString updateAvailableTitle();
    void setUpdateAvailableTitle(const std::optional<QString>& text) { m_updateAvailableTitle = text; }
    QString versionLabelFormat();
    void setVersionLabelFormat(const std::optional<QString>& text) { m_versionLabelFormat = text; }
    QString okButtonLabel();
    void setOkButtonLabel(const std::optional<QString>& text) { m_okButtonLabel = text; }
    QString ignoreButtonLabel();
    void setIgnoreButtonLabel(const std::optional<QString>& text) { m_ignoreButtonLabel = text; }
    QString remindButtonLabel();
    void setRemindButtonLabel(const std::optional<QString>& text) { m_remindButtonLabel = text; }
    QString downloadButtonLabel();
    void setDownloadButtonLabel(const std::optional<QString>& text) { m_downloadButtonLabel = text; }

    std::shared_ptr<VersionerDelegate> delegate() { return m_delegate.get(m_env); }
    void setDelegate(std::weak_ptr<VersionerDelegate> delegate) { m_delegate.set(std::move(delegate)); }

    // Results of the last check, and what is on screen.
    const std::optional<VersionNotes>& remoteVersionsDict() const { return m_remoteVersionsDict; }
    const std::optional<Error>& downloadError() const { return m_downloadError; }
    std::optional<QString> versionDetails(); // local notes for the alert after an update
    bool hasVisibleLocalAlert() const { return m_visibleLocalAlert != 0; }
    bool hasVisibleRemoteAlert() const { return m_visibleRemoteAlert != 0; }
    bool checkingForNewVersion() const { return m_checkingForNewVersion; }

    // Stored state.
    std::optional<QString> lastVersion() const;
    void setLastVersion(const std::optional<QString>& version);
    bool viewedVersionDetails() const;
    void setViewedVersionDetails(bool viewed);
    std::optional<QString> ignoredVersion() const;
    void setIgnoredVersion(const std::optional<QString>& version);
    QDateTime lastChecked() const;
    void setLastChecked(const QDateTime& date);
    QDateTime lastReminded() const;
    void setLastReminded(const QDateTime& date);

    // Steps.
    void applicationLaunched();
    void checkIfNewVersion();
    bool shouldCheckForNewVersion();
    void checkForNewVersion();
    void checkForNewVersionInBackground();
    void downloadedVersionsData();
    VersionNotes localVersionsDict();
    static std::optional<QString> mostRecentVersionInDict(const VersionNotes& dict);
    static std::optional<QString> versionDetails(const QString& version, const VersionNotes& dict);
    std::optional<QString> versionDetailsSince(const std::optional<QString>& version, const VersionNotes& dict);
    bool showIgnoreButton() { return !ignoreButtonLabel().isEmpty() && updatePriority < 2; }
    bool showRemindButton() { return !remindButtonLabel().isEmpty() && updatePriority < 3; }
    // Returns the alert's token (0 when none can be shown).
    int showAlertWithTitle(const QString& title, const QString& details, const QString& defaultButton,
                           const std::optional<QString>& ignoreButton, const std::optional<QString>& remindButton);
    void alertDidEnd(int alert, int returnCode) { didDismissAlert(alert, returnCode - 1000); }
    void didDismissAlert(int alert, int buttonIndex);
    bool openAppPageInAppStore();

    QString localizedStringForKey(const QString& key, const QString& defaultText);
    void setAppStoreIDOnMainThread(const QVariant& number);
    void openAppPageWhenAppStoreLaunched();
    // Percent-escapes everything but letters, digits and "-._~".
    static QString URLEncodedString(const QString& text);

private:
    struct CheckResult {
        std::optional<Error> error;
        std::optional<VersionNotes> versions;
        std::optional<QString> storeVersion;
        bool storeNewerOnSupportedSystem = false;
    };
    void continueWithStoreAnswer(const StoreAnswer& answer);
    void continueWithReleaseNotes(CheckResult result, const HttpAnswer& answer);
    void finishCheck(const CheckResult& result);
    void reportFailure(const std::optional<Error>& error);
    void verboseLog(const QString& line) const;
    double secondsSince(const QDateTime& date) const;

    PromptEnvironment m_env;
    QNetworkAccessManager* m_network;
    PromptStrings m_strings {QStringLiteral("Versioner")};
    DelegateSlot<VersionerDelegate> m_delegate {&ApplicationDelegate::versioner};

    QString m_applicationVersion;
    QString m_applicationBundleID;
    QString m_appStoreCountry;
    QUrl m_updateURL;
    std::optional<QString> m_inThisVersionTitle, m_updateAvailableTitle, m_versionLabelFormat;
    std::optional<QString> m_okButtonLabel, m_ignoreButtonLabel, m_remindButtonLabel, m_downloadButtonLabel;

    std::optional<VersionNotes> m_remoteVersionsDict;
    std::optional<Error> m_downloadError;
    std::optional<QString> m_versionDetails;
    std::optional<VersionNotes> m_localVersionsDict;
    int m_visibleLocalAlert = 0;
    int m_visibleRemoteAlert = 0;
    int m_lastAlert = 0;
    bool m_checkingForNewVersion = false;
};

} // namespace ql
