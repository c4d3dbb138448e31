#include "prompts/Versioner.h"

#include "platform/runtime/UserDefaults.h"
#include "platform/ui/Prompter.h"
#include "platform/ui/Workspace.h"
#include "prompts/JsonScanner.h"
#include "prompts/NotesAccessory.h"
#include "prompts/SharedPrompt.h"
#include "prompts/StoredValues.h"
#include "prompts/VersionComparison.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QPointer>
#include <algorithm>

namespace ql {

namespace {

const QString lastVersionKey = QStringLiteral("VersionerLastVersionChecked");
const QString ignoreVersionKey = QStringLiteral("VersionerIgnoreVersion");
const QString lastCheckedKey = QStringLiteral("VersionerLastChecked");
const QString lastRemindedKey = QStringLiteral("VersionerLastReminded");
const QString appStoreIDKey = QStringLiteral("VersionerAppStoreID");

constexpr double secondsPerDay = 86400.0;
constexpr qint64 maxNotesFileBytes = 8 << 20;

Error versionerError(Versioner::ErrorCode code, const QString& message)
{
    return Error {versionerErrorDomain, int(code), message};
}

// "14" → "14.0.0": the system version as major.minor.patch.
QString threePartVersion(const QString& version)
{
    QStringList parts = version.split(u'.');
    while (parts.size() < 3)
        parts << QStringLiteral("0");
    return parts.join(u'.');
}

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar(0x85) || c == QChar(0x2028) || c == QChar(0x2029) || c == QChar(0x0B)
        || c == QChar(0x0C);
}

QString trimLineBreaks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isLineBreak(text[start]))
        ++start;
    while (end > start && isLineBreak(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

std::optional<VersionNotes> readNotesFile(const QString& path)
{
    QFile file(path);
    if (file.size() > maxNotesFileBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Result<VersionNotes> notes = readReleaseNotes(file.readAll());
    if (!notes)
        return std::nullopt;
    return *notes;
}

} // namespace

Versioner::Versioner(const PromptEnvironment& env, QObject* parent)
    : QObject(parent), m_env(env.resolved()), m_network(new QNetworkAccessManager(this))
{
    m_appStoreCountry = storeCountryForCode(m_env.countryCode.value_or(QString()));
    m_applicationVersion = m_env.application->version;
    m_applicationBundleID = m_env.application->bundleIdentifier;
    m_env.schedule(0, this, [this] { applicationLaunched(); });
}

Versioner::~Versioner() = default;

Versioner& Versioner::sharedInstance() { return SharedPrompt<Versioner>::instance(); }

void Versioner::load(const PromptEnvironment& env) { SharedPrompt<Versioner>::load(env); }

// --- settings, texts and stored state ---

quint64 Versioner::appStoreID() const
{
    return quint64(std::max<qint64>(0, m_env.userDefaults().integerForKey(appStoreIDKey)));
}

void Versioner::setAppStoreID(quint64 id)
{
    m_env.userDefaults().setInteger(appStoreIDKey, qint64(id));
}

void Versioner::setAppStoreIDOnMainThread(const QVariant& number)
{
    setAppStoreID(storeNumber(number));
}

QUrl Versioner::updateURL()
{
    if (!m_updateURL.isEmpty())
        return m_updateURL;
    const quint64 id = appStoreID();
    if (id == 0)
        m_env.log(QStringLiteral("Versioner error: No App Store ID was found for this application. If the application "
                                 "is not intended for App Store release then you must specify a custom updateURL."));
    return storePageUrl(m_env.storePageHost, id);
}

QString Versioner::localizedStringForKey(const QString& key, const QString& defaultText)
{
    return m_strings.localizedString(m_env, useAllAvailableLanguages, key, defaultText);
}

QString Versioner::inThisVersionTitle()
{
    return m_inThisVersionTitle.value_or(
        localizedStringForKey(QStringLiteral("VersionerInThisVersionTitle"), QStringLiteral("New in this version")));
}

QString Versioner::updateAvailableTitle()
{
    return m_updateAvailableTitle.value_or(
        localizedStringForKey(QStringLiteral("VersionerUpdateAvailableTitle"), QStringLiteral("New version available")));
}

QString Versioner::versionLabelFormat()
{
    return m_versionLabelFormat.value_or(
        localizedStringForKey(QStringLiteral("VersionerVersionLabelFormat"), QStringLiteral("Version %@")));
}

QString Versioner::okButtonLabel()
{
    return m_okButtonLabel.value_or(localizedStringForKey(QStringLiteral("VersionerOKButton"), QStringLiteral("OK")));
}

QString Versioner::ignoreButtonLabel()
{
    return m_ignoreButtonLabel.value_or(
        localizedStringForKey(QStringLiteral("VersionerIgnoreButton"), QStringLiteral("Ignore")));
}

QString Versioner::remindButtonLabel()
{
    return m_remindButtonLabel.value_or(
        localizedStringForKey(QStringLiteral("VersionerRemindButton"), QStringLiteral("Remind Me Later")));
}

QString Versioner::downloadButtonLabel()
{
    return m_downloadButtonLabel.value_or(
        localizedStringForKey(QStringLiteral("VersionerDownloadButton"), QStringLiteral("Download")));
}

std::optional<QString> Versioner::lastVersion() const { return storedText(m_env.userDefaults(), lastVersionKey); }

void Versioner::setLastVersion(const std::optional<QString>& version)
{
    setStoredText(m_env.userDefaults(), lastVersionKey, version);
}

bool Versioner::viewedVersionDetails() const { return lastVersion() == m_applicationVersion; }

void Versioner::setViewedVersionDetails(bool viewed)
{
    setLastVersion(viewed ? std::optional<QString>(m_applicationVersion) : std::nullopt);
}

std::optional<QString> Versioner::ignoredVersion() const { return storedText(m_env.userDefaults(), ignoreVersionKey); }

void Versioner::setIgnoredVersion(const std::optional<QString>& version)
{
    setStoredText(m_env.userDefaults(), ignoreVersionKey, version);
}

QDateTime Versioner::lastChecked() const { return storedDate(m_env.userDefaults(), lastCheckedKey); }
void Versioner::setLastChecked(const QDateTime& date) { setStoredDate(m_env.userDefaults(), lastCheckedKey, date); }
QDateTime Versioner::lastReminded() const { return storedDate(m_env.userDefaults(), lastRemindedKey); }
void Versioner::setLastReminded(const QDateTime& date) { setStoredDate(m_env.userDefaults(), lastRemindedKey, date); }

double Versioner::secondsSince(const QDateTime& date) const { return secondsBetween(date, m_env.now()); }

void Versioner::verboseLog(const QString& line) const
{
    if (verboseLogging)
        m_env.log(line);
}

QString Versioner::URLEncodedString(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// --- release notes ---

VersionNotes Versioner::localVersionsDict()
{
    if (localVersionsPlistPath.isEmpty())
        return {};
    if (m_localVersionsDict)
        return *m_localVersionsDict;
    std::optional<VersionNotes> found = readNotesFile(m_env.resourcesFolder + u'/' + localVersionsPlistPath);
    const QStringList nameAndType = localVersionsPlistPath.split(u'.');
    if (!found && nameAndType.size() == 2) {
        // The program's resource of that name and type, in a language folder.
        for (const QString& language : m_env.languages.value_or(QStringList())) {
            for (const QString& folder : {language, language.section(u'-', 0, 0)}) {
                found = readNotesFile(m_env.resourcesFolder + u'/' + folder + QStringLiteral(".lproj/")
                                      + nameAndType[0] + u'.' + nameAndType[1]);
                if (found)
                    break;
            }
            if (found)
                break;
        }
    }
    if (!found)
        return {}; // looked for again next time
    m_localVersionsDict = std::move(found);
    return *m_localVersionsDict;
}

std::optional<QString> Versioner::mostRecentVersionInDict(const VersionNotes& dict)
{
    std::optional<QString> newest;
    for (auto it = dict.keyBegin(); it != dict.keyEnd(); ++it)
        if (!newest || compareVersion(*it, *newest) > 0)
            newest = *it;
    return newest;
}

std::optional<QString> Versioner::versionDetails(const QString& version, const VersionNotes& dict)
{
    return dict.value(version, std::nullopt);
}

std::optional<QString> Versioner::versionDetailsSince(const std::optional<QString>& version, const VersionNotes& dict)
{
    const std::optional<QString> since = previewMode ? std::optional<QString>(QStringLiteral("0")) : version;
    QStringList versions = dict.keys();
    std::stable_sort(versions.begin(), versions.end(),
                     [](const QString& a, const QString& b) { return compareVersionDescending(a, b) < 0; });
    QString details;
    bool found = false;
    for (const QString& each : versions) {
        if (!isNewerVersion(each, since))
            continue;
        found = true;
        if (groupNotesByVersion)
            details += versionLabelFormat().replace(QStringLiteral("%@"), each) + QStringLiteral("\n\n");
        details += versionDetails(each, dict).value_or(QString()) + u'\n';
        if (groupNotesByVersion)
            details += u'\n';
    }
    if (!found)
        return std::nullopt;
    return trimLineBreaks(details);
}

std::optional<QString> Versioner::versionDetails()
{
    if (!m_versionDetails) {
        m_versionDetails = viewedVersionDetails() ? versionDetails(m_applicationVersion, localVersionsDict())
                                                  : versionDetailsSince(lastVersion(), localVersionsDict());
    }
    return m_versionDetails;
}

// --- launch ---

void Versioner::applicationLaunched()
{
    if (!checkAtLaunch) {
        verboseLog(QStringLiteral("Versioner will not check for updates because the checkAtLaunch option is disabled"));
        return;
    }
    checkIfNewVersion();
    if (shouldCheckForNewVersion())
        checkForNewVersion();
}

void Versioner::checkIfNewVersion()
{
    if (onlyPromptIfMainWindowIsAvailable && !m_env.mainWindowAvailable()) {
        m_env.schedule(500, this, [this] { checkIfNewVersion(); });
        return;
    }
    const std::optional<QString> last = lastVersion();
    if (!last && !showOnFirstLaunch && !previewMode) {
        setViewedVersionDetails(true); // a first launch
        return;
    }
    if (!isNewerVersion(m_applicationVersion, last) && !previewMode)
        return;
    setLastReminded(QDateTime());
    const std::optional<QString> details = versionDetails();
    if (!details)
        return;
    const auto d = delegate();
    const bool show = !d || !d->versionerShouldDisplayCurrentVersionDetails
        || d->versionerShouldDisplayCurrentVersionDetails(*details);
    if (show && !m_visibleLocalAlert && !m_visibleRemoteAlert)
        m_visibleLocalAlert = showAlertWithTitle(inThisVersionTitle(), *details, okButtonLabel(), std::nullopt, std::nullopt);
}

bool Versioner::shouldCheckForNewVersion()
{
    if (previewMode) {
        verboseLog(QStringLiteral("Versioner debug mode is enabled - make sure you disable this for release"));
    } else if (lastReminded().isValid()) {
        if (secondsSince(lastReminded()) < double(remindPeriod) * secondsPerDay) {
            verboseLog(QString::asprintf("Versioner did not check for a new version because the user last asked to be "
                                         "reminded less than %g days ago",
                                         double(remindPeriod)));
            return false;
        }
    } else if (lastChecked().isValid() && secondsSince(lastChecked()) < double(checkPeriod) * secondsPerDay) {
        verboseLog(QString::asprintf("Versioner did not check for a new version because the last check was less than "
                                     "%g days ago",
                                     double(checkPeriod)));
        return false;
    }
    const auto d = delegate();
    if (d && d->versionerShouldCheckForNewVersion && !d->versionerShouldCheckForNewVersion()) {
        verboseLog(QStringLiteral("Versioner did not check for a new version because the "
                                  "VersionerShouldCheckForNewVersion delegate method returned NO"));
        return false;
    }
    return true;
}

// --- the check ---

void Versioner::checkForNewVersion()
{
    if (m_checkingForNewVersion)
        return;
    m_checkingForNewVersion = true;
    checkForNewVersionInBackground();
}

void Versioner::checkForNewVersionInBackground()
{
    const QUrl url = storeLookupUrl(m_env.lookupBaseUrl, m_appStoreCountry, appStoreID(), m_applicationBundleID);
    verboseLog(QStringLiteral("Versioner is checking %1 for a new app version...").arg(url.toString()));
    lookUpInStore(*m_network, m_env, this, url, CachePolicy::IgnoreLocalData,
                  [this](const HttpAnswer& answer) { continueWithStoreAnswer(readStoreAnswer(answer, false)); });
}

void Versioner::continueWithStoreAnswer(const StoreAnswer& answer)
{
    CheckResult result;
    if (!answer.read || answer.error) {
        result.error = answer.error;
        finishCheck(result);
        return;
    }
    const QVariant bundleID = valueForKeyInJson(QStringLiteral("bundleId"), answer.entry);
    if (bundleID.isValid() && bundleID.toString() == m_applicationBundleID) {
        const QVariant minimum = valueForKeyInJson(QStringLiteral("minimumOsVersion"), answer.entry);
        const bool supported = m_env.systemVersion.isEmpty() || !minimum.isValid()
            || compareVersion(threePartVersion(m_env.systemVersion), minimum.toString()) >= 0;
        if (!supported)
            result.error = versionerError(OSVersionNotSupported, QStringLiteral("Current OS version is not supported."));
        const QVariant notes = valueForKeyInJson(QStringLiteral("releaseNotes"), answer.entry);
        const QVariant version = valueForKeyInJson(QStringLiteral("version"), answer.entry);
        if (version.isValid() && supported) {
            result.storeVersion = version.toString();
            result.versions = VersionNotes {{*result.storeVersion, notes.isValid() ? notes.toString() : QString()}};
        }
        if (appStoreID() == 0) {
            const QVariant trackID = valueForKeyInJson(QStringLiteral("trackId"), answer.entry);
            setAppStoreIDOnMainThread(trackID);
            verboseLog(QStringLiteral("Versioner found the app on iTunes. The App Store ID is %1").arg(trackID.toString()));
        }
        if (version.isValid()) {
            const QString storeVersion = version.toString();
            if (compareVersion(storeVersion, m_applicationVersion) > 0) {
                result.storeNewerOnSupportedSystem = supported;
                verboseLog(QStringLiteral("Versioner found a new version (%1) of the app on iTunes. Current version is %2")
                               .arg(storeVersion, m_applicationVersion));
            } else {
                verboseLog(QStringLiteral("Versioner did not find a new version of the app on iTunes. Current version "
                                          "is %1, latest version is %2")
                               .arg(m_applicationVersion, storeVersion));
            }
        }
    } else if (bundleID.isValid()) {
        verboseLog(QStringLiteral("Versioner found that the application bundle ID (%1) does not match the bundle ID of "
                                  "the app found on iTunes (%2) with the specified App Store ID (%3)")
                       .arg(m_applicationBundleID, bundleID.toString(), QString::number(appStoreID())));
        result.error = versionerError(BundleIdDoesNotMatchAppStore,
                                      QStringLiteral("Application bundle ID does not match expected value of %1")
                                          .arg(bundleID.toString()));
    } else if (appStoreID() == 0 && !remoteVersionsPlistURL.isEmpty()) {
        verboseLog(QStringLiteral("Versioner could not find your app on iTunes. If your app is not yet on the store or "
                                  "is not intended for App Store release then don't worry about this"));
    } else {
        verboseLog(QStringLiteral("Versioner could not find this application on iTunes. If your app is not intended for "
                                  "App Store release then you must specify a remoteVersionsPlistURL. If this is the "
                                  "first release of your application then it's not a problem that it cannot be found "
                                  "on the store yet"));
        result.error = versionerError(ApplicationNotFoundOnAppStore,
                                      QStringLiteral("The application could not be found on the App Store."));
    }

    if (!remoteVersionsPlistURL.isEmpty()
        && (appStoreID() == 0 || result.storeNewerOnSupportedSystem || previewMode)) {
        verboseLog(QStringLiteral("Versioner will check %1 for %2")
                       .arg(remoteVersionsPlistURL,
                            appStoreID() != 0 ? QStringLiteral("release notes") : QStringLiteral("a new app version")));
        httpGet(*m_network, this, QUrl(remoteVersionsPlistURL), CachePolicy::IgnoreLocalData,
                [this, result](const HttpAnswer& notes) { continueWithReleaseNotes(result, notes); });
        return;
    }
    finishCheck(result);
}

void Versioner::continueWithReleaseNotes(CheckResult result, const HttpAnswer& answer)
{
    if (answer.body.isEmpty()) {
        verboseLog(QStringLiteral("Versioner was unable to download the user-specified release notes"));
        result.error = answer.error;
        finishCheck(result);
        return;
    }
    const Result<VersionNotes> list = readReleaseNotes(answer.body);
    result.error = list ? std::nullopt : std::optional<Error>(list.error());
    if (!result.storeVersion) {
        result.versions = list ? std::optional<VersionNotes>(*list) : std::nullopt;
    } else if (list) {
        // Versions the store does not have yet are not offered.
        VersionNotes available;
        for (auto it = list->cbegin(); it != list->cend(); ++it)
            if (compareVersion(it.key(), *result.storeVersion) <= 0)
                available.insert(it.key(), it.value());
        if (available.contains(*result.storeVersion) || !useAppStoreDetailsIfNoPlistEntryFound)
            result.versions = std::move(available);
    } else if (!useAppStoreDetailsIfNoPlistEntryFound) {
        result.versions.reset();
    }
    finishCheck(result);
}

void Versioner::finishCheck(const CheckResult& result)
{
    m_downloadError = result.error;
    m_remoteVersionsDict = result.versions;
    setLastChecked(m_env.now());
    downloadedVersionsData();
}

void Versioner::reportFailure(const std::optional<Error>& error)
{
    if (error)
        m_env.log(QStringLiteral("Versioner update check failed because: %1").arg(error->message));
    else
        m_env.log(QStringLiteral("Versioner update check failed because an unknown error occured"));
    const auto d = delegate();
    if (!d)
        return;
    if (d->versionerVersionCheckDidFailWithError) {
        d->versionerVersionCheckDidFailWithError(error);
    } else if (d->versionerVersionCheckFailed) {
        m_env.log(QStringLiteral("VersionerVersionCheckFailed: delegate method is deprecated, use "
                                 "VersionerVersionCheckDidFailWithError: instead"));
        d->versionerVersionCheckFailed(error);
    }
}

void Versioner::downloadedVersionsData()
{
    if (onlyPromptIfMainWindowIsAvailable && !m_env.mainWindowAvailable()) {
        m_env.schedule(500, this, [this] { downloadedVersionsData(); });
        return;
    }
    if (!m_checkingForNewVersion)
        return;
    m_checkingForNewVersion = false;
    if (!m_remoteVersionsDict) {
        reportFailure(m_downloadError);
        return;
    }
    const std::optional<QString> details = versionDetailsSince(m_applicationVersion, *m_remoteVersionsDict);
    const QString version = mostRecentVersionInDict(*m_remoteVersionsDict).value_or(QString());
    const auto d = delegate();
    if (!details) {
        if (d && d->versionerDidNotDetectNewVersion)
            d->versionerDidNotDetectNewVersion();
        return;
    }
    if (d && d->versionerDidDetectNewVersion) {
        d->versionerDidDetectNewVersion(version, *details);
    } else if (d && d->versionerDetectedNewVersion) {
        m_env.log(QStringLiteral("VersionerDetectedNewVersion:details: delegate method is deprecated, use "
                                 "VersionerDidDetectNewVersion:details: instead"));
        d->versionerDetectedNewVersion(version, *details);
    }
    if (ignoredVersion() == version && !previewMode) {
        verboseLog(QStringLiteral("Versioner did not display the new version because it was marked as ignored"));
        return;
    }
    if (d && d->versionerShouldDisplayNewVersion && !d->versionerShouldDisplayNewVersion(version, *details)) {
        verboseLog(QStringLiteral("Versioner did not display the new version because the "
                                  "VersionerShouldDisplayNewVersion:details: delegate method returned NO"));
        return;
    }
    if (m_visibleRemoteAlert)
        return;
    QString title = updateAvailableTitle();
    if (!groupNotesByVersion)
        title += QStringLiteral(" (%1)").arg(version);
    m_visibleRemoteAlert = showAlertWithTitle(title, *details, downloadButtonLabel(),
                                              showIgnoreButton() ? std::optional<QString>(ignoreButtonLabel()) : std::nullopt,
                                              showRemindButton() ? std::optional<QString>(remindButtonLabel()) : std::nullopt);
}

// --- alerts ---

int Versioner::showAlertWithTitle(const QString& title, const QString& details, const QString& defaultButton,
                                  const std::optional<QString>& ignoreButton, const std::optional<QString>& remindButton)
{
    if (!m_env.prompter)
        return 0;
    AlertRequest request;
    request.messageText = title;
    request.informativeText = inThisVersionTitle();
    request.buttons << defaultButton;
    request.accessory = AlertRequest::TextAccessory {details, notesAccessorySize(details)};
    if (ignoreButton)
        request.buttons << *ignoreButton;
    if (remindButton)
        request.buttons << *remindButton;
    const int alert = ++m_lastAlert;
    QPointer<Versioner> self(this);
    m_env.prompter->beginSheetAlert(request, [self, alert](int index) {
        if (self)
            self->alertDidEnd(alert, 1000 + index);
    });
    return alert;
}

void Versioner::didDismissAlert(int alert, int buttonIndex)
{
    if (alert == m_visibleLocalAlert) {
        setViewedVersionDetails(true);
        m_visibleLocalAlert = 0;
        return;
    }
    const QString version =
        m_remoteVersionsDict ? mostRecentVersionInDict(*m_remoteVersionsDict).value_or(QString()) : QString();
    const bool ignoreShown = showIgnoreButton();
    const int ignoreIndex = ignoreShown ? 1 : -1;
    const int remindIndex = showRemindButton() ? (ignoreShown ? 2 : 1) : -1;
    const auto d = delegate();
    if (buttonIndex == 0) {
        setLastReminded(QDateTime());
        if (d && d->versionerUserDidAttemptToDownloadUpdate)
            d->versionerUserDidAttemptToDownloadUpdate(version);
        if (!d || !d->versionerShouldOpenAppStore || d->versionerShouldOpenAppStore())
            openAppPageInAppStore();
    } else if (buttonIndex == ignoreIndex) {
        setIgnoredVersion(version);
        setLastReminded(QDateTime());
        if (d && d->versionerUserDidIgnoreUpdate)
            d->versionerUserDidIgnoreUpdate(version);
    } else if (buttonIndex == remindIndex) {
        setLastReminded(m_env.now());
        if (d && d->versionerUserDidRequestReminderForUpdate)
            d->versionerUserDidRequestReminderForUpdate(version);
    }
    m_visibleRemoteAlert = 0;
}

bool Versioner::openAppPageInAppStore()
{
    if (m_updateURL.isEmpty() && appStoreID() == 0) {
        verboseLog(QStringLiteral("Versioner was unable to open the App Store because the app store ID is not set."));
        return false;
    }
    const QUrl url = updateURL();
    verboseLog(QStringLiteral("Versioner will open the App Store using the following URL: %1").arg(url.toString()));
    if (m_env.workspace)
        m_env.workspace->openUrl(url);
    if (m_updateURL.isEmpty())
        openAppPageWhenAppStoreLaunched();
    return true;
}

void Versioner::openAppPageWhenAppStoreLaunched()
{
    QPointer<Versioner> self(this);
    ql::openAppPageWhenAppStoreLaunched(m_env, this, [self] { return self ? self->updateURL() : QUrl(); });
}

} // namespace ql
