#include "prompts/Notifier.h"

#include "platform/archive/ArchiveError.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/Prompter.h"
#include "platform/ui/Workspace.h"
#include "prompts/FetchedList.h"
#include "prompts/PromptNotifications.h"
#include "prompts/SharedPrompt.h"
#include "prompts/StoredValues.h"
#include "prompts/VersionComparison.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <algorithm>

namespace ql {

namespace {

const QString ignoredKey = QStringLiteral("NotifierIgnoredNotifications");
const QString viewedKey = QStringLiteral("NotifierViewedNotifications");
const QString lastCheckedKey = QStringLiteral("NotifierLastChecked");
const QString lastRemindedKey = QStringLiteral("NotifierLastReminded");

constexpr double secondsPerDay = 86400.0;

// What the alert's buttons answer: action or OK, ignore, remind.
constexpr int defaultReturn = 1;
constexpr int alternateReturn = 0;
constexpr int otherReturn = -1;

std::optional<QString> noticeText(const PlistValue& notice, const QString& key)
{
    const PlistValue* value = notice.find(key);
    if (!value || value->type() != PlistValue::Type::String)
        return std::nullopt;
    return value->toString();
}

} // namespace

Notifier::Notifier(const PromptEnvironment& env, QObject* parent)
    : QObject(parent), m_env(env.resolved()), m_network(new QNetworkAccessManager(this))
{
    m_applicationVersion = m_env.application->version;
    NotificationCenter::defaultCenter().addObserver(this, applicationDidFinishLaunchingNotification, nullptr,
                                                    [this](const Notification&) { applicationLaunched(); });
    debugLog(QStringLiteral("register"));
}

Notifier::~Notifier() = default;

Notifier& Notifier::sharedInstance() { return SharedPrompt<Notifier>::instance(); }

void Notifier::load(const PromptEnvironment& env) { SharedPrompt<Notifier>::load(env); }

void Notifier::debugLog(const QString& line) const
{
    if (debug)
        m_env.log(line);
}

// --- texts ---

QString Notifier::localizedStringForKey(const QString& key)
{
    if (!m_strings) {
        const QStringList languages = m_env.languages.value_or(QStringList());
        StringBundle bundle = StringBundle::open(m_env.resourcesFolder + QStringLiteral("/Notifier.bundle"), languages);
        if (!bundle.isValid())
            bundle = StringBundle::open(m_env.resourcesFolder, languages);
        for (const QString& language : languages) {
            if (bundle.hasLocalization(language)) {
                bundle = StringBundle::open(bundle.folder() + u'/' + language + QStringLiteral(".lproj"), languages);
                break;
            }
        }
        m_strings = bundle;
    }
    return m_strings->string(key, key);
}

QString Notifier::okButtonLabel() { return m_okButtonLabel.value_or(localizedStringForKey(QStringLiteral("OK"))); }
QString Notifier::ignoreButtonLabel()
{
    return m_ignoreButtonLabel.value_or(localizedStringForKey(QStringLiteral("Ignore")));
}
QString Notifier::remindButtonLabel()
{
    return m_remindButtonLabel.value_or(localizedStringForKey(QStringLiteral("Remind Me Later")));
}
QString Notifier::defaultActionButtonLabel()
{
    return m_defaultActionButtonLabel.value_or(localizedStringForKey(QStringLiteral("More Info")));
}

// --- stored state ---

QStringList Notifier::ignoredNotifications() const
{
    return QVariant(m_env.userDefaults().arrayForKey(ignoredKey)).toStringList();
}

void Notifier::setIgnoredNotifications(const QStringList& keys) { m_env.userDefaults().setObject(ignoredKey, keys); }

QStringList Notifier::viewedNotifications() const
{
    return QVariant(m_env.userDefaults().arrayForKey(viewedKey)).toStringList();
}

void Notifier::setViewedNotifications(const QStringList& keys) { m_env.userDefaults().setObject(viewedKey, keys); }

QDateTime Notifier::lastChecked() const { return storedDate(m_env.userDefaults(), lastCheckedKey); }
void Notifier::setLastChecked(const QDateTime& date) { setStoredDate(m_env.userDefaults(), lastCheckedKey, date); }
QDateTime Notifier::lastReminded() const { return storedDate(m_env.userDefaults(), lastRemindedKey); }
void Notifier::setLastReminded(const QDateTime& date) { setStoredDate(m_env.userDefaults(), lastRemindedKey, date); }

void Notifier::setNotificationIgnored(const QString& key) { setIgnoredNotifications(ignoredNotifications() << key); }
void Notifier::setNotificationViewed(const QString& key) { setViewedNotifications(viewedNotifications() << key); }

std::optional<QString> Notifier::visibleNotificationKey() const
{
    return m_visibleAlert ? std::optional<QString>(m_visibleAlert->key) : std::nullopt;
}

// --- checking ---

void Notifier::applicationLaunched()
{
    if (checkAtLaunch && shouldCheckForNotifications())
        checkForNotifications();
}

bool Notifier::shouldCheckForNotifications()
{
    if (!debug) {
        if (!showOnFirstLaunch && !m_env.userDefaults().objectForKey(ignoredKey).isValid()) {
            setIgnoredNotifications({}); // the first launch only records itself
            return false;
        }
        const QDateTime now = m_env.now();
        if (lastReminded().isValid()) {
            if (secondsBetween(lastReminded(), now) < double(remindPeriod) * secondsPerDay)
                return false;
        } else if (lastChecked().isValid() && secondsBetween(lastChecked(), now) < double(checkPeriod) * secondsPerDay) {
            return false;
        }
    }
    const auto d = delegate();
    return !d || !d->notifierShouldCheckForNotifications || d->notifierShouldCheckForNotifications();
}

void Notifier::checkForNotifications()
{
    if (m_currentlyChecking)
        return;
    m_currentlyChecking = true;
    checkForNotificationsInBackground();
}

void Notifier::checkForNotificationsInBackground()
{
    if (notificationsPlistURL.isEmpty()) {
        m_currentlyChecking = false; // so that a check with a URL can still run
        return;
    }
    httpGet(*m_network, this, QUrl(notificationsPlistURL), CachePolicy::IgnoreLocalData,
            [this](const HttpAnswer& answer) { finishFetch(answer); });
}

Result<Notifier::Notices> Notifier::readNotices(const QByteArray& data)
{
    Result<Notices> notices = readFetchedDictionary(data, QStringLiteral("The notices"));
    if (!notices)
        return notices;
    for (const auto& [key, notice] : *notices)
        if (notice.type() != PlistValue::Type::Dictionary)
            return archiveError(ArchiveErrorCode::WrongType,
                                QStringLiteral("The notice \"%1\" is not a dictionary.").arg(key.left(80)));
    return notices;
}

void Notifier::finishFetch(const HttpAnswer& answer)
{
    // The status is not looked at: an error page is no property list.
    std::optional<Notices> notices;
    std::optional<Error> error = answer.error;
    if (!answer.body.isEmpty()) {
        Result<Notices> read = readNotices(answer.body);
        if (read)
            notices = std::move(*read);
        else
            error = read.error();
    }
    m_downloadError = error;
    setNotificationsDict(notices);
    setLastChecked(m_env.now());
    downloadedNotificationsData();
}

void Notifier::setNotificationsDict(const std::optional<Notices>& fetched)
{
    if (!fetched) {
        m_notificationsDict.reset();
        return;
    }
    const auto without = [](const Notices& all, const QStringList& seen) {
        Notices left;
        for (const auto& entry : all)
            if (!seen.contains(entry.first))
                left.push_back(entry);
        return left;
    };
    Notices notices = without(*fetched, ignoredNotifications() + viewedNotifications());
    if (debug && !fetched->empty() && notices.empty()) {
        setIgnoredNotifications({});
        setViewedNotifications({});
        notices = *fetched;
    }
    std::erase_if(notices, [this](const auto& entry) {
        const std::optional<QString> minimum = noticeText(entry.second, QStringLiteral("MinVersion"));
        const std::optional<QString> maximum = noticeText(entry.second, QStringLiteral("MaxVersion"));
        return (minimum && compareVersion(*minimum, m_applicationVersion) > 0)
            || (maximum && compareVersion(*maximum, m_applicationVersion) < 0);
    });
    m_notificationsDict = std::move(notices);
}

std::optional<QString> Notifier::nextNotificationInDict(const Notices& notices) const
{
    if (notices.empty())
        return std::nullopt;
    QStringList keys;
    for (const auto& entry : notices)
        keys << entry.first;
    std::stable_sort(keys.begin(), keys.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return showOldestFirst ? keys.first() : keys.last();
}

bool Notifier::canOpenURL(const QUrl& url) const
{
    static const QStringList openable {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto")};
    return url.isValid() && openable.contains(url.scheme().toLower()) && m_env.workspace
        && m_env.workspace->canOpenUrl(url);
}

// --- showing ---

void Notifier::downloadedNotificationsData()
{
    if (onlyPromptIfMainWindowIsAvailable && !m_env.mainWindowAvailable()) {
        m_env.schedule(500, this, [this] { downloadedNotificationsData(); });
        return;
    }
    m_currentlyChecking = false;
    const auto d = delegate();
    if (!m_notificationsDict) {
        if (d && d->notifierNotificationsCheckDidFailWithError) {
            d->notifierNotificationsCheckDidFailWithError(m_downloadError);
        } else if (d && d->notifierNotificationsCheckFailed) {
            debugLog(QStringLiteral("NotifierNotificationsCheckFailed: delegate method is deprecated, use "
                                    "NotifierNotificationsCheckDidFailWithError: instead"));
            d->notifierNotificationsCheckFailed(m_downloadError);
        }
        return;
    }
    if (d && d->notifierDidDetectNotifications)
        d->notifierDidDetectNotifications(*m_notificationsDict);
    const std::optional<QString> key = nextNotificationInDict(*m_notificationsDict);
    if (!key)
        return;
    const auto entry = std::find_if(m_notificationsDict->cbegin(), m_notificationsDict->cend(),
                                    [&](const auto& e) { return e.first == *key; });
    const PlistValue& notice = entry->second;
    const std::optional<QString> actionURL = noticeText(notice, QStringLiteral("ActionURL"));
    if (actionURL && !canOpenURL(QUrl(*actionURL, QUrl::StrictMode)))
        return; // stays eligible for a later check
    if (d && d->notifierShouldDisplayNotificationWithKey && !d->notifierShouldDisplayNotificationWithKey(*key, notice))
        return;
    if (m_visibleAlert || !m_env.prompter)
        return;

    AlertRequest request;
    request.messageText = noticeText(notice, QStringLiteral("Title")).value_or(QString());
    request.informativeText = noticeText(notice, QStringLiteral("Message")).value_or(QString());
    if (actionURL)
        request.buttons << noticeText(notice, QStringLiteral("ActionButton")).value_or(defaultActionButtonLabel())
                        << ignoreButtonLabel() << remindButtonLabel();
    else
        request.buttons << okButtonLabel();
    // Kept for the whole run: one notice per run, and the choice applies to
    // the notice shown even if a later check finds others.
    m_visibleAlert = ShownNotice {*key, notice};
    QPointer<Notifier> self(this);
    m_env.prompter->beginSheetAlert(request, [self](int index) {
        if (self)
            self->alertDidEnd(index == 0 ? defaultReturn : index == 1 ? alternateReturn : otherReturn);
    });
}

void Notifier::alertDidEnd(int returnCode)
{
    if (!m_visibleAlert)
        return;
    const ShownNotice shown = *m_visibleAlert;
    const auto d = delegate();
    if (returnCode == defaultReturn) {
        setNotificationViewed(shown.key);
        setLastReminded(QDateTime());
        if (const std::optional<QString> actionURL = noticeText(shown.details, QStringLiteral("ActionURL"))) {
            if (d && d->notifierUserDidViewActionURLForNotificationWithKey)
                d->notifierUserDidViewActionURLForNotificationWithKey(shown.key, shown.details);
            if (m_env.workspace)
                m_env.workspace->openUrl(QUrl(*actionURL, QUrl::StrictMode));
        }
    } else if (returnCode == alternateReturn) {
        setNotificationIgnored(shown.key);
        setLastReminded(QDateTime());
        if (d && d->notifierUserDidIgnoreNotificationWithKey)
            d->notifierUserDidIgnoreNotificationWithKey(shown.key, shown.details);
    } else {
        setLastReminded(m_env.now());
        if (d && d->notifierUserDidRequestReminderForNotificationWithKey)
            d->notifierUserDidRequestReminderForNotificationWithKey(shown.key, shown.details);
    }
}

} // namespace ql
