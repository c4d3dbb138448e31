#include "prompts/Rater.h"

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/Prompter.h"
#include "platform/ui/Workspace.h"
#include "prompts/JsonScanner.h"
#include "prompts/SharedPrompt.h"
#include "prompts/StoredValues.h"
#include "prompts/VersionComparison.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <algorithm>
#include <limits>

namespace ql {

namespace {

const QString firstUsedKey = QStringLiteral("RaterFirstUsed");
const QString useCountKey = QStringLiteral("RaterUseCount");
const QString eventCountKey = QStringLiteral("RaterEventCount");
const QString lastVersionUsedKey = QStringLiteral("RaterLastVersionUsed");
const QString ratedVersionKey = QStringLiteral("RaterRatedVersionChecked");
const QString declinedVersionKey = QStringLiteral("RaterDeclinedVersion");
const QString lastRemindedKey = QStringLiteral("RaterLastReminded");
const QString appStoreIDKey = QStringLiteral("RaterAppStoreID");

constexpr double secondsPerDay = 86400.0;
constexpr double secondsPerWeek = 604800.0;
constexpr quint64 gameGenreID = 6014;
// A POSIX "not permitted" failure is no failure once an identifier is set.
const QString posixErrorDomain = QStringLiteral("POSIXErrorDomain");

uint storedCount(const UserDefaults& defaults, const QString& key)
{
    return uint(std::clamp<qint64>(defaults.integerForKey(key), 0, std::numeric_limits<uint>::max()));
}

Error raterError(Rater::ErrorCode code, const QString& message)
{
    return Error {raterErrorDomain, int(code), message};
}

void post(const QString& name, const QVariantMap& userInfo = {})
{
    NotificationCenter::defaultCenter().post(name, nullptr, userInfo);
}

} // namespace

Rater::Rater(const PromptEnvironment& env, QObject* parent)
    : QObject(parent), m_env(env.resolved()), m_network(new QNetworkAccessManager(this))
{
    m_appStoreCountry = storeCountryForCode(m_env.countryCode.value_or(QString()));
    m_applicationName = m_env.application->name;
    m_applicationVersion = m_env.application->version;
    m_applicationBundleID = m_env.application->bundleIdentifier;
    m_env.schedule(0, this, [this] { applicationLaunched(); });
}

Rater::~Rater() = default;

Rater& Rater::sharedInstance() { return SharedPrompt<Rater>::instance(); }

void Rater::load(const PromptEnvironment& env) { SharedPrompt<Rater>::load(env); }

// --- settings and texts ---

quint64 Rater::appStoreID() const
{
    if (m_appStoreID != 0)
        return m_appStoreID;
    return quint64(std::max<qint64>(0, m_env.userDefaults().integerForKey(appStoreIDKey)));
}

QString Rater::localizedStringForKey(const QString& key, const QString& defaultText)
{
    return m_strings.localizedString(m_env, useAllAvailableLanguages, key, defaultText);
}

QString Rater::withName(QString text) const
{
    return text.replace(QStringLiteral("%@"), m_applicationName);
}

QString Rater::messageTitle()
{
    if (m_messageTitle)
        return *m_messageTitle;
    return withName(localizedStringForKey(QStringLiteral("RaterMessageTitle"), QStringLiteral("Rate %@")));
}

QString Rater::message()
{
    if (m_message)
        return *m_message;
    const QString text = m_appStoreGenreID == gameGenreID
        ? localizedStringForKey(QStringLiteral("RaterGameMessage"),
                                QStringLiteral("If you enjoy playing %@, would you mind taking a moment to rate it? "
                                               "It won’t take more than a minute. Thanks for your support!"))
        : localizedStringForKey(QStringLiteral("RaterAppMessage"),
                                QStringLiteral("If you enjoy using %@, would you mind taking a moment to rate it? "
                                               "It won’t take more than a minute. Thanks for your support!"));
    return withName(text);
}

QString Rater::updateMessage()
{
    if (m_updateMessage)
        return *m_updateMessage;
    return withName(localizedStringForKey(QStringLiteral("RaterUpdateMessage"), message()));
}

QString Rater::cancelButtonLabel()
{
    return m_cancelButtonLabel ? *m_cancelButtonLabel
                               : localizedStringForKey(QStringLiteral("RaterCancelButton"), QStringLiteral("No, Thanks"));
}

QString Rater::remindButtonLabel()
{
    return m_remindButtonLabel
        ? *m_remindButtonLabel
        : localizedStringForKey(QStringLiteral("RaterRemindButton"), QStringLiteral("Remind Me Later"));
}

QString Rater::rateButtonLabel()
{
    return m_rateButtonLabel ? *m_rateButtonLabel
                             : localizedStringForKey(QStringLiteral("RaterRateButton"), QStringLiteral("Rate It Now"));
}

QUrl Rater::ratingsURL()
{
    if (!m_ratingsURL.isEmpty())
        return m_ratingsURL;
    const quint64 id = appStoreID();
    if (id == 0)
        verboseLog(QStringLiteral("Rater could not find the App Store ID for this application. If the application is "
                                  "not intended for App Store release then you must specify a custom ratingsURL."));
    return storePageUrl(m_env.storePageHost, id);
}

// --- stored state ---

QDateTime Rater::firstUsed() const { return storedDate(m_env.userDefaults(), firstUsedKey); }
void Rater::setFirstUsed(const QDateTime& date) { setStoredDate(m_env.userDefaults(), firstUsedKey, date); }
QDateTime Rater::lastReminded() const { return storedDate(m_env.userDefaults(), lastRemindedKey); }
void Rater::setLastReminded(const QDateTime& date) { setStoredDate(m_env.userDefaults(), lastRemindedKey, date); }
uint Rater::usesCount() const { return storedCount(m_env.userDefaults(), useCountKey); }
void Rater::setUsesCount(uint count) { m_env.userDefaults().setInteger(useCountKey, count); }
uint Rater::eventCount() const { return storedCount(m_env.userDefaults(), eventCountKey); }
void Rater::setEventCount(uint count) { m_env.userDefaults().setInteger(eventCountKey, count); }

float Rater::usesPerWeek() const
{
    return float(double(usesCount()) / (secondsSince(firstUsed()) / secondsPerWeek));
}

bool Rater::declinedThisVersion() const
{
    return m_env.userDefaults().stringForKey(declinedVersionKey) == m_applicationVersion;
}

void Rater::setDeclinedThisVersion(bool declined)
{
    if (declined)
        m_env.userDefaults().setObject(declinedVersionKey, m_applicationVersion);
    else
        m_env.userDefaults().removeObjectForKey(declinedVersionKey);
}

bool Rater::declinedAnyVersion() const { return !m_env.userDefaults().stringForKey(declinedVersionKey).isEmpty(); }

bool Rater::ratedThisVersion() const { return ratedVersion(m_applicationVersion); }

void Rater::setRatedThisVersion(bool rated)
{
    if (rated)
        m_env.userDefaults().setObject(ratedVersionKey, m_applicationVersion);
    else
        m_env.userDefaults().removeObjectForKey(ratedVersionKey);
}

bool Rater::ratedAnyVersion() const { return !m_env.userDefaults().stringForKey(ratedVersionKey).isEmpty(); }

bool Rater::ratedVersion(const QString& version) const
{
    return m_env.userDefaults().stringForKey(ratedVersionKey) == version;
}

double Rater::secondsSince(const QDateTime& date) const
{
    return secondsBetween(date, m_env.now());
}

void Rater::verboseLog(const QString& line) const
{
    if (verboseLogging)
        m_env.log(line);
}

// --- launch and decision ---

void Rater::applicationLaunched()
{
    UserDefaults& defaults = m_env.userDefaults();
    const QString lastVersion = defaults.stringForKey(lastVersionUsedKey);
    if (!firstUsed().isValid() || lastVersion != m_applicationVersion) {
        defaults.setObject(lastVersionUsedKey, m_applicationVersion);
        if (!firstUsed().isValid() || ratedAnyVersion()) {
            setFirstUsed(m_env.now());
            setUsesCount(0);
            setEventCount(0);
            setLastReminded(QDateTime());
            defaults.synchronize();
        } else if (secondsSince(firstUsed()) > (double(m_daysUntilPrompt) - 1.0) * secondsPerDay) {
            // An update leaves at least a day before the next prompt, and keeps the counts.
            setFirstUsed(m_env.now().addMSecs(-qint64((double(m_daysUntilPrompt) - 1.0) * secondsPerDay * 1000.0)));
        }
        if (auto d = delegate(); d && d->raterDidDetectAppUpdate)
            d->raterDidDetectAppUpdate();
        post(QStringLiteral("RaterDidDetectAppUpdate"));
    }
    incrementUseCount();
    checkForConnectivityInBackground();
    if (promptAtLaunch)
        promptIfAllCriteriaMet();
}

bool Rater::shouldPromptForRating()
{
    if (previewMode) {
        m_env.log(QStringLiteral("Rater preview mode is enabled - make sure you disable this for release"));
        return true;
    }
    if (ratedThisVersion()) {
        verboseLog(QStringLiteral("Rater did not prompt for rating because the user has already rated this version"));
        return false;
    }
    if (ratedAnyVersion() && !promptForNewVersionIfUserRated) {
        verboseLog(QStringLiteral("Rater did not prompt for rating because the user has already rated this app, and "
                                  "promptForNewVersionIfUserRated is disabled"));
        return false;
    }
    if (declinedAnyVersion()) {
        verboseLog(QStringLiteral("Rater did not prompt for rating because the user has declined to rate the app"));
        return false;
    }
    if (secondsSince(firstUsed()) < double(m_daysUntilPrompt) * secondsPerDay) {
        verboseLog(QString::asprintf("Rater did not prompt for rating because the app was first used less than %g days ago",
                                     double(m_daysUntilPrompt)));
        return false;
    }
    if (usesCount() < m_usesUntilPrompt && eventCount() < m_eventsUntilPrompt) {
        verboseLog(QStringLiteral("Rater did not prompt for rating because the app has only been used %1 times and "
                                  "only %2 events have been logged")
                       .arg(usesCount())
                       .arg(eventCount()));
        return false;
    }
    if (usesPerWeek() < m_usesPerWeekForPrompt) {
        verboseLog(QString::asprintf("Rater did not prompt for rating because the app has only been used %g times per "
                                     "week on average since it was installed",
                                     double(usesPerWeek())));
        return false;
    }
    if (lastReminded().isValid() && secondsSince(lastReminded()) < double(m_remindPeriod) * secondsPerDay) {
        verboseLog(QString::asprintf("Rater did not prompt for rating because the user last asked to be reminded less "
                                     "than %g days ago",
                                     double(m_remindPeriod)));
        return false;
    }
    return true;
}

void Rater::promptIfAllCriteriaMet()
{
    if (shouldPromptForRating())
        promptIfNetworkAvailable();
}

void Rater::promptIfNetworkAvailable()
{
    if (m_checkingForPrompt || m_checkingForAppStoreID)
        return;
    m_checkingForPrompt = true;
    checkForConnectivityInBackground();
}

// --- the store look-up ---

void Rater::checkForConnectivityInBackground()
{
    // One look-up at a time; its answer serves whatever waits for it.
    if (m_lookupRunning)
        return;
    m_lookupRunning = true;
    const QUrl url = storeLookupUrl(m_env.lookupBaseUrl, m_appStoreCountry, m_appStoreID, m_applicationBundleID);
    verboseLog(QStringLiteral("Rater is checking %1 to retrieve the App Store details...").arg(url.toString()));
    lookUpInStore(*m_network, m_env, this, url, CachePolicy::Default,
                  [this](const HttpAnswer& answer) { finishLookup(readStoreAnswer(answer, true)); });
}

void Rater::finishLookup(const StoreAnswer& answer)
{
    std::optional<Error> error = answer.error;
    if (!error) {
        const QVariant bundleID = valueForKeyInJson(QStringLiteral("bundleId"), answer.entry);
        if (bundleID.isValid() && bundleID.toString() == m_applicationBundleID) {
            if (m_appStoreGenreID == 0)
                m_appStoreGenreID = storeNumber(valueForKeyInJson(QStringLiteral("primaryGenreId"), answer.entry));
            if (m_appStoreID == 0) {
                const QVariant trackID = valueForKeyInJson(QStringLiteral("trackId"), answer.entry);
                setAppStoreIDOnMainThread(trackID);
                verboseLog(QStringLiteral("Rater found the app on iTunes. The App Store ID is %1").arg(trackID.toString()));
            }
            if (onlyPromptIfLatestVersion && !previewMode) {
                const QVariant storeVersion = valueForKeyInJson(QStringLiteral("version"), answer.entry);
                if (storeVersion.isValid() && compareVersion(storeVersion.toString(), m_applicationVersion) > 0) {
                    verboseLog(QStringLiteral("Rater found that the installed application version (%1) is not the "
                                              "latest version on the App Store, which is %2")
                                   .arg(m_applicationVersion, storeVersion.toString()));
                    error = raterError(ApplicationIsNotLatestVersion,
                                       QStringLiteral("Installed app is not the latest version available"));
                }
            }
        } else if (bundleID.isValid()) {
            verboseLog(QStringLiteral("Rater found that the application bundle ID (%1) does not match the bundle ID of "
                                      "the app found on iTunes (%2) with the specified App Store ID (%3)")
                           .arg(m_applicationBundleID, bundleID.toString(), QString::number(m_appStoreID)));
            error = raterError(BundleIdDoesNotMatchAppStore,
                               QStringLiteral("Application bundle ID does not match expected value of %1")
                                   .arg(bundleID.toString()));
        } else if (m_appStoreID == 0) {
            verboseLog(QStringLiteral("Rater could not find your app on iTunes. If your app is not yet on the store or "
                                      "is not intended for App Store release then don't worry about this"));
        } else {
            verboseLog(QStringLiteral("Rater could not find this application on iTunes. If your app is not intended "
                                      "for App Store release then you must specify a custom ratingsURL. If this is "
                                      "the first release of your application then it's not a problem that it cannot "
                                      "be found on the store yet"));
            if (!previewMode)
                error = raterError(ApplicationNotFoundOnAppStore,
                                   QStringLiteral("The application could not be found on the App Store."));
        }
    }

    const bool ignorable = error && error->domain == posixErrorDomain && error->code == 1 && m_appStoreID != 0;
    if (error && !ignorable)
        connectionError(error);
    else if (appStoreID() != 0 || previewMode || !m_ratingsURL.isEmpty())
        // A custom page needs no store entry: the look-up only had to get through.
        connectionSucceeded();
    m_lookupRunning = false;
}

void Rater::setAppStoreIDOnMainThread(const QVariant& number)
{
    m_appStoreID = storeNumber(number);
    m_env.userDefaults().setInteger(appStoreIDKey, qint64(m_appStoreID));
}

void Rater::connectionSucceeded()
{
    if (m_checkingForAppStoreID) {
        m_checkingForPrompt = false;
        m_checkingForAppStoreID = false;
        openRatingsPageInAppStore();
    } else if (m_checkingForPrompt) {
        m_checkingForPrompt = false;
        const auto d = delegate();
        if (!d || !d->raterShouldPromptForRating || d->raterShouldPromptForRating())
            promptForRating();
        else
            verboseLog(QStringLiteral("Rater did not display the rating prompt because the RaterShouldPromptForRating "
                                      "delegate method returned NO"));
    }
}

void Rater::connectionError(const std::optional<Error>& error)
{
    if (!m_checkingForPrompt && !m_checkingForAppStoreID)
        return;
    m_checkingForPrompt = false;
    m_checkingForAppStoreID = false;
    if (error)
        m_env.log(QStringLiteral("Rater rating process failed because: %1").arg(error->message));
    else
        m_env.log(QStringLiteral("Rater rating process failed because an unknown error occured"));
    if (auto d = delegate(); d && d->raterCouldNotConnectToAppStore)
        d->raterCouldNotConnectToAppStore(error);
    QVariantMap userInfo;
    if (error)
        userInfo.insert(QStringLiteral("error"), QVariant::fromValue(*error));
    post(QStringLiteral("RaterCouldNotConnectToAppStore"), userInfo);
}

// --- the alert ---

void Rater::promptForRating()
{
    if (m_visibleAlert || !m_env.prompter)
        return; // nothing to show it with
    const QString text = ratedAnyVersion() ? updateMessage() : message();
    if (onlyPromptIfMainWindowIsAvailable && !m_env.mainWindowAvailable()) {
        m_env.schedule(500, this, [this] { promptForRating(); });
        return;
    }
    AlertRequest request;
    request.messageText = messageTitle();
    request.informativeText = text;
    request.buttons << rateButtonLabel();
    if (showCancelButton())
        request.buttons << cancelButtonLabel();
    if (showRemindButton())
        request.buttons << remindButtonLabel();
    m_visibleAlert = true;
    QPointer<Rater> self(this);
    m_env.prompter->beginSheetAlert(request, [self](int index) {
        if (self)
            self->alertDidEnd(1000 + index);
    });
    if (auto d = delegate(); d && d->raterDidPromptForRating)
        d->raterDidPromptForRating();
    post(QStringLiteral("RaterDidPromptForRating"));
}

void Rater::didDismissAlert(int buttonIndex)
{
    const bool cancelShown = showCancelButton();
    if (buttonIndex == 0)
        rate();
    else if (buttonIndex == 1 && cancelShown)
        declineThisVersion();
    else if (buttonIndex == (cancelShown ? 2 : 1))
        remindLater();
    m_visibleAlert = false;
}

void Rater::rate()
{
    setRatedThisVersion(true);
    const auto d = delegate();
    if (d && d->raterUserDidAttemptToRateApp)
        d->raterUserDidAttemptToRateApp();
    post(QStringLiteral("RaterUserDidAttemptToRateApp"));
    if (!d || !d->raterShouldOpenAppStore || d->raterShouldOpenAppStore())
        openRatingsPageInAppStore();
}

void Rater::declineThisVersion()
{
    setDeclinedThisVersion(true);
    if (auto d = delegate(); d && d->raterUserDidDeclineToRateApp)
        d->raterUserDidDeclineToRateApp();
    post(QStringLiteral("RaterUserDidDeclineToRateApp"));
}

void Rater::remindLater()
{
    setLastReminded(m_env.now());
    if (auto d = delegate(); d && d->raterUserDidRequestReminderToRateApp)
        d->raterUserDidRequestReminderToRateApp();
    post(QStringLiteral("RaterUserDidRequestReminderToRateApp"));
}

void Rater::openRatingsPageInAppStore()
{
    if (m_ratingsURL.isEmpty() && appStoreID() == 0) {
        // The look-up finds the identifier and comes back here.
        m_checkingForAppStoreID = true;
        if (!m_checkingForPrompt)
            checkForConnectivityInBackground();
        return;
    }
    const QUrl url = ratingsURL();
    verboseLog(QStringLiteral("Rater will open the App Store ratings page using the following URL: %1").arg(url.toString()));
    if (m_env.workspace)
        m_env.workspace->openUrl(url);
    openAppPageWhenAppStoreLaunched();
    if (auto d = delegate(); d && d->raterDidOpenAppStore)
        d->raterDidOpenAppStore();
}

void Rater::openAppPageWhenAppStoreLaunched()
{
    QPointer<Rater> self(this);
    ql::openAppPageWhenAppStoreLaunched(m_env, this, [self] { return self ? self->ratingsURL() : QUrl(); });
}

void Rater::logEvent(bool deferPrompt)
{
    incrementEventCount();
    if (!deferPrompt)
        promptIfAllCriteriaMet();
}

} // namespace ql
