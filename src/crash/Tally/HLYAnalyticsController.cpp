#include "crash/Tally/HLYAnalyticsController.h"

#include "crash/HalyardConstants.h"
#include "crash/Tally/HLYEventLog/HLYAnalyticsApplicationLifecycleEvent.h"
#include "crash/Tally/HLYEventLog/HLYAnalyticsMetadataEvent.h"
#include "crash/Tally/HLYEventLog/HLYFileSystemError.h"
#include "crash/Tally/HLYTallyEvent.h"
#include "crash/kit/HLYApplication.h"
#include "crash/reports/HLYFileLock.h"
#include "sdk/HLYUserDefaults.h"
#include "sdk/Rigging.h"
#include "sdk/foundation/Json.h"
#include "sdk/foundation/Log.h"
#include "sdk/foundation/NotificationCenter.h"
#include "sdk/settings/RIGSettingsOnboardingManager.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace qlkit {
namespace fs = std::filesystem;
using Repository = HLYEventLogSessionRepository;

namespace {

constexpr const char* kQueuePrefix = "org.quiverleaf.halyard.analytics.";
constexpr const char* kPriorityQueueNames[] = {"high-priority", "medium-priority", "low-priority"};
// Attempts at a fragment folder nobody else has taken.
constexpr int kFragmentAttempts = 5;

const Map* mapAt(const std::optional<Value>& settings, const char* key)
{
    const Map* root = settings ? settings->asMap() : nullptr;
    const Value* value = root ? root->find(key) : nullptr;
    return value ? value->asMap() : nullptr;
}

bool flagAt(const Map* map, const char* key)
{
    const Value* value = map ? map->find(key) : nullptr;
    return value && value->boolValue();
}

std::uint64_t countAt(const Map* map, const char* key, std::uint64_t largest)
{
    const Value* value = map ? map->find(key) : nullptr;
    const auto number = value ? value->numberValue() : std::nullopt;
    if (!number || !(*number > 0))
        return 0;
    return *number >= double(largest) ? largest : std::uint64_t(*number);
}

std::string tallyDescription(const HLYTallyEvent& event)
{
    return "HLYTallyEvent {key=" + event.key() + ", payload=" + json::serialize(Value(event.payloadDictionary())) + "}";
}

} // namespace

bool HLYAnalyticsController::supported() { return deviceMeetsMinimumRequirements() && !HLYApplicationIsExtension(); }

KitError HLYAnalyticsController::errorWithCode(long code)
{
    const char* message = code == kErrorUploadUnderWay   ? "an upload of packaged fragments is already under way"
                          : code == kErrorNoAnalyticsURL ? "no analytics URL has been set"
                                                         : "no log with a priority is left to prune";
    return KitError {kErrorDomain, code, {}, message};
}

std::shared_ptr<HLYAnalyticsController> HLYAnalyticsController::create(const std::string& sessionIdentifier,
                                                                       const URL& rootDirectory,
                                                                       const std::optional<std::string>& betaToken)
{
    Collaborators collaborators;
    collaborators.timestampGenerator = std::make_shared<HLYAnalyticsTimestampGenerator>();
    const std::uint64_t timestamp = collaborators.timestampGenerator->generateAnalyticsTimestamp();
    collaborators.metadataController = HLYAnalyticsMetadataController::initWithTimeStamp(timestamp, betaToken);
    collaborators.identifierGenerator = std::make_shared<HLYAnalyticsIdentifierGenerator>();
    collaborators.networkingClient = std::make_shared<HLYAnalyticsNetworkingClient>();
    return create(sessionIdentifier, timestamp, rootDirectory, betaToken, std::move(collaborators));
}

std::shared_ptr<HLYAnalyticsController> HLYAnalyticsController::create(const std::string& sessionIdentifier,
                                                                       std::uint64_t sessionTimestamp,
                                                                       const URL& rootDirectory,
                                                                       const std::optional<std::string>& betaToken,
                                                                       Collaborators collaborators)
{
    std::shared_ptr<HLYAnalyticsController> controller(new HLYAnalyticsController(
        sessionIdentifier, sessionTimestamp, rootDirectory, betaToken, std::move(collaborators)));
    return controller->start() ? controller : nullptr;
}

HLYAnalyticsController::HLYAnalyticsController(const std::string& sessionIdentifier, std::uint64_t sessionTimestamp,
                                               const URL& rootDirectory, const std::optional<std::string>& betaToken,
                                               Collaborators collaborators)
    : m_analyticsRootDirectoryURL(rootDirectory)
    , m_sessionIdentifier(sessionIdentifier)
    , m_sessionTimestamp(sessionTimestamp)
    , m_betaToken(betaToken)
    , m_identifierGenerator(std::move(collaborators.identifierGenerator))
    , m_timestampGenerator(std::move(collaborators.timestampGenerator))
    , m_metadataController(std::move(collaborators.metadataController))
    , m_networkingClient(std::move(collaborators.networkingClient))
    , m_userDefaults(collaborators.userDefaults)
    , m_logSessionRepository(rootDirectory)
    , m_sessionMaintenanceQueue(SerialQueue::create(std::string(kQueuePrefix) + "maintenance"))
{
    if (!m_identifierGenerator)
        m_identifierGenerator = std::make_shared<HLYAnalyticsIdentifierGenerator>();
    if (!m_timestampGenerator)
        m_timestampGenerator = std::make_shared<HLYAnalyticsTimestampGenerator>();
    if (!m_networkingClient)
        m_networkingClient = std::make_shared<HLYAnalyticsNetworkingClient>();
    for (std::size_t priority = 0; priority < kPriorityCount; ++priority)
        m_priorityEventLoggingQueues[priority] = SerialQueue::create(kQueuePrefix + std::string(kPriorityQueueNames[priority]));
}

bool HLYAnalyticsController::start()
{
    KitError error;
    const bool prepared = prepareNewSessionFragmentWithIdentifier(m_identifierGenerator->generateSessionFragmentIdentifier(),
                                                                  m_sessionTimestamp, &error);
    if (!prepared)
        log::debugOnly("[Halyard:Tally] Unable to prepare new session fragment {error: " + error.describe() + "}");
    readLastSessionInformation();
    saveCurrentSessionInformation();

    std::weak_ptr<HLYAnalyticsController> weak = weak_from_this();
    auto& center = NotificationCenter::defaultCenter();
    m_observerTokens.push_back(center.addObserver(kRIGSettingsAvailableNotification, [weak](const std::string&) {
        if (const auto self = weak.lock())
            self->riggingSettingsDownloaded();
    }));
    for (const char* name : {kHLYApplicationWillTerminateNotification, kHLYApplicationWillResignActiveNotification,
                             kHLYApplicationDidBecomeActiveNotification})
        m_observerTokens.push_back(center.addObserver(name, [weak](const std::string& posted) {
            if (const auto self = weak.lock())
                self->applicationLifecycleEvent(posted);
        }));
    setSettings(riggingSettings());
    return prepared;
}

HLYAnalyticsController::~HLYAnalyticsController()
{
    for (const int token : m_observerTokens)
        NotificationCenter::defaultCenter().removeObserver(token);
    cancelSessionMaintenance();
}

HLYAnalyticsController::Settings HLYAnalyticsController::settings() const
{
    std::lock_guard lock(m_settingsMutex);
    return m_settings;
}

HLYUserDefaults& HLYAnalyticsController::userDefaults() const
{
    return m_userDefaults ? *m_userDefaults : HLYUserDefaults::standardUserDefaults();
}

std::string HLYAnalyticsController::storedKey(const char* name) const
{
    return std::string(kHalyardInternalKeyPrefix) + name;
}

std::optional<Value> HLYAnalyticsController::riggingSettings() const { return Rigging::sharedSDK().settings(); }

bool HLYAnalyticsController::riggingIsFirstInstall() const { return Rigging::sharedSDK().isFirstInstall(); }

std::optional<std::string> HLYAnalyticsController::riggingAPIKey() const
{
    try {
        return Rigging::sharedSDK().APIKey();
    } catch (...) {
        return std::nullopt; // no key configured
    }
}

std::optional<Bytes> HLYAnalyticsController::metadataJSONData() const
{
    return m_metadataController ? std::optional<Bytes>(m_metadataController->metadataJSONData()) : std::nullopt;
}

void HLYAnalyticsController::readLastSessionInformation()
{
    m_lastSessionIdentifier.reset();
    m_lastSessionTimestamp = 0;
    m_lastSessionMetadata.reset();
    auto& store = userDefaults();
    const auto identifier = store.objectForKey(storedKey("insights.lastsessionidentifier"));
    const auto timestamp = store.objectForKey(storedKey("insights.lastsessiontimestamp"));
    const auto metadata = store.objectForKey(storedKey("insights.lastsessionmetadata"));
    if (!identifier || !identifier->asString() || !timestamp || !timestamp->asInt() || !metadata || !metadata->asBytes())
        return;
    m_lastSessionIdentifier = *identifier->asString();
    m_lastSessionTimestamp = std::uint64_t(*timestamp->asInt());
    m_lastSessionMetadata = *metadata->asBytes();
}

void HLYAnalyticsController::saveCurrentSessionInformation()
{
    auto& store = userDefaults();
    store.setObject(Value(m_sessionIdentifier), storedKey("insights.lastsessionidentifier"));
    store.setObject(Value(m_sessionTimestamp), storedKey("insights.lastsessiontimestamp"));
    const auto metadata = metadataJSONData();
    store.setObject(metadata ? std::optional<Value>(Value(*metadata)) : std::nullopt, storedKey("insights.lastsessionmetadata"));
    store.synchronize();
}

void HLYAnalyticsController::dispatchToQueue(const std::shared_ptr<DispatchQueue>& queue, bool asynchronous, Task block)
{
    if (asynchronous)
        queue->async(std::move(block));
    else
        queue->sync(block);
}

HLYAnalyticsController::URL HLYAnalyticsController::currentSessionFragmentDirectoryURL() const
{
    std::lock_guard lock(m_fragmentMutex);
    return m_currentSessionFragmentDirectoryURL;
}

bool HLYAnalyticsController::waitUntilIdle(double seconds) const
{
    std::unique_lock lock(m_activityMutex);
    return m_activityChanged.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return m_activity == 0; });
}

void HLYAnalyticsController::beginActivity()
{
    std::lock_guard lock(m_activityMutex);
    ++m_activity;
}

void HLYAnalyticsController::endActivity()
{
    {
        std::lock_guard lock(m_activityMutex);
        --m_activity;
    }
    m_activityChanged.notify_all();
}

// MARK: Fragments

std::optional<HLYAnalyticsController::URL>
HLYAnalyticsController::lockNewFragment(const std::string& sessionIdentifier, std::uint64_t sessionTimestamp,
                                        std::string& fragmentIdentifier, std::uint64_t fragmentTimestamp,
                                        std::unique_ptr<HLYFileLock>& lock, KitError* error)
{
    KitError failure = HLYFileSystemError(EBUSY, "no fragment folder could be held");
    for (int attempt = 0; attempt < kFragmentAttempts; ++attempt) {
        // Another instance's clean-up may take an empty folder (or its empty
        // parents) before we hold it; a new name is then the simple way out.
        const auto folder = m_logSessionRepository.sessionFragmentDirectoryURLForStateName(
            Repository::kActiveStateName, sessionIdentifier, sessionTimestamp, fragmentIdentifier, fragmentTimestamp,
            &failure);
        if (folder && (lock = HLYFileLock::tryLock(*folder, true)))
            return folder;
        fragmentIdentifier = m_identifierGenerator->generateSessionFragmentIdentifier();
    }
    if (error)
        *error = failure;
    return std::nullopt;
}

std::optional<HLYAnalyticsController::URL> HLYAnalyticsController::createEventFileURLForPriority(std::size_t priority,
                                                                                                 KitError* error)
{
    std::string identifier;
    std::uint64_t timestamp = 0;
    {
        std::lock_guard lock(m_fragmentMutex);
        identifier = m_currentSessionFragmentIdentifier;
        timestamp = m_currentSessionFragmentTimestamp;
    }
    return m_logSessionRepository.eventLogFileURLForStateName(Repository::kActiveStateName, m_sessionIdentifier,
                                                              m_sessionTimestamp, identifier, timestamp, priority, error);
}

bool HLYAnalyticsController::prepareNewSessionFragmentWithIdentifier(std::string identifier, std::uint64_t timestamp,
                                                                     KitError* error)
{
    std::unique_lock switching(m_fragmentSwitchMutex);
    std::unique_ptr<HLYFileLock> held;
    const auto folder = lockNewFragment(m_sessionIdentifier, m_sessionTimestamp, identifier, timestamp, held, error);
    {
        std::lock_guard lock(m_fragmentMutex);
        m_currentSessionFragmentIdentifier = identifier;
        m_currentSessionFragmentTimestamp = timestamp;
    }
    if (!folder)
        return false;
    std::array<URL, kPriorityCount> urls;
    for (std::size_t priority = 0; priority < kPriorityCount; ++priority) {
        const auto url = createEventFileURLForPriority(priority, error);
        if (!url)
            return false;
        urls[priority] = *url;
    }
    std::shared_ptr<HLYFileLock> previous;
    {
        std::lock_guard lock(m_fragmentMutex);
        m_currentSessionFragmentDirectoryURL = *folder;
        previous = std::move(m_openFragmentLock);
        m_openFragmentLock = std::move(held);
    }
    switching.unlock();
    // The previous fragment stays locked until no queue can write it any
    // more: a switch that misses the wait below leaves it to a later packaging.
    const auto group = DispatchGroup::create();
    for (std::size_t priority = 0; priority < kPriorityCount; ++priority) {
        group->enter();
        m_priorityEventLoggingQueues[priority]->async(
            [self = shared_from_this(), priority, url = urls[priority], timestamp, group, previous]() mutable {
                PriorityLog& entry = self->m_priorityLogs[priority];
                // (Already there when this queue moved on from a vanished folder.)
                if (entry.url != url) {
                    entry.file.reset();
                    entry.url = url;
                    entry.fragmentTimestamp = timestamp;
                    entry.askedForMaintenance = false;
                }
                previous.reset();
                group->leave();
            });
    }
    previous.reset();
    if (group->wait(kFragmentSwitchWait))
        return true;
    if (error)
        *error = HLYFileSystemError(ETIMEDOUT, "the logging queues did not switch to the new fragment in time");
    return false;
}

// MARK: Logging

void HLYAnalyticsController::logEvent(std::shared_ptr<const HLYEventLogEvent> event)
{
    if (!event || !analyticsFeatureSwitchEnabled())
        return;
    const std::uint64_t priority = event->priority();
    if (priority >= kPriorityCount)
        return;
    dispatchToQueue(m_priorityEventLoggingQueues[priority], priority == 2,
                    [self = shared_from_this(), event] { self->appendEvent(*event); });
}

bool HLYAnalyticsController::ensureLogFileExistsForPriority(std::size_t priority, KitError* error)
{
    PriorityLog& entry = m_priorityLogs[priority];
    if (entry.file)
        return true;
    if (!entry.url) {
        if (error)
            *error = HLYFileSystemError(ENOENT, "no open fragment");
        return false;
    }
    auto file = HLYEventLogEventFile::initWithURL(*entry.url);
    // The open fragment's folder is gone (removed by hand, or with the
    // whole tree by another instance): the event goes into a new fragment.
    if (!file && !m_logSessionRepository.isDirectoryURL(entry.url->parent_path())
        && moveToNewFragmentAfterVanishedFolder(entry, priority, error))
        file = HLYEventLogEventFile::initWithURL(*entry.url);
    if (!file) {
        if (error)
            *error = HLYFileSystemError(EIO, "cannot open " + entry.url->string());
        return false;
    }
    if (!file->appendEvent(HLYAnalyticsMetadataEvent(priority, entry.fragmentTimestamp, metadataJSONData()), error))
        return false;
    entry.file = std::move(file);
    return true;
}

bool HLYAnalyticsController::moveToNewFragmentAfterVanishedFolder(PriorityLog& entry, std::size_t priority,
                                                                  KitError* error)
{
    const URL vanished = entry.url->parent_path();
    std::lock_guard switching(m_fragmentSwitchMutex);
    // The first queue to find it gone makes the new fragment; the others
    // (and a maintenance switch that came first) only follow.
    if (currentSessionFragmentDirectoryURL() == vanished) {
        std::string identifier = m_identifierGenerator->generateSessionFragmentIdentifier();
        const std::uint64_t timestamp = m_timestampGenerator->generateAnalyticsTimestamp();
        std::unique_ptr<HLYFileLock> held;
        const auto folder = lockNewFragment(m_sessionIdentifier, m_sessionTimestamp, identifier, timestamp, held, error);
        if (!folder)
            return false;
        std::lock_guard lock(m_fragmentMutex);
        m_currentSessionFragmentIdentifier = identifier;
        m_currentSessionFragmentTimestamp = timestamp;
        m_currentSessionFragmentDirectoryURL = *folder;
        m_openFragmentLock = std::move(held);
    }
    std::lock_guard lock(m_fragmentMutex);
    entry.url = m_currentSessionFragmentDirectoryURL / *Repository::activeEventLogFileNameForPriority(priority);
    entry.fragmentTimestamp = m_currentSessionFragmentTimestamp;
    entry.askedForMaintenance = false;
    return true;
}

void HLYAnalyticsController::appendEvent(const HLYEventLogEvent& event)
{
    const std::size_t priority = std::size_t(event.priority());
    KitError error;
    if (!ensureLogFileExistsForPriority(priority, &error)) {
        log::debugOnly("[Halyard:Tally] Unable to create a new log file for priority " + std::to_string(priority)
                       + " {error: " + error.describe() + "}");
        return;
    }
    PriorityLog& entry = m_priorityLogs[priority];
    const Bytes line = event.eventData();
    if (entry.file->fileSize() + line.size() > maximumLogLength()) {
        log::debugOnly("[Halyard:Tally] Log of priority " + std::to_string(priority) + " is full, dropping event "
                       + event.key());
        handleSizeTriggeredMaintainSessionFragmentForLogFile(entry);
        return;
    }
    if (!entry.file->appendData(line))
        return;
    if (entry.file->fileSize() > logLengthTrigger()) {
        handleSizeTriggeredMaintainSessionFragmentForLogFile(entry);
        return;
    }
    handlePriorityTriggeredMaintainSessionFragmentForEvent(event);
}

std::uint64_t HLYAnalyticsController::logLengthTrigger() const
{
    constexpr std::uint64_t kLargest = HLYAnalyticsNetworkingClient::kMaximumLogLength - kLogLengthAllowance;
    const std::uint64_t configured = settings().maxByteSizePerFile;
    return configured == 0 ? kLargest : std::min(configured, kLargest);
}

void HLYAnalyticsController::handleSizeTriggeredMaintainSessionFragmentForLogFile(PriorityLog& entry)
{
    if (entry.askedForMaintenance)
        return;
    entry.askedForMaintenance = true;
    maintainSessionFragmentsIgnoringError();
}

void HLYAnalyticsController::handlePriorityTriggeredMaintainSessionFragmentForEvent(const HLYEventLogEvent& event)
{
    if (event.priority() != 0)
        return;
    if (settings().haveSettings)
        maintainSessionFragmentsIgnoringError();
    else
        m_performSessionMaintenanceAfterSettingsArrive = true;
}

void HLYAnalyticsController::logTallyEvent(const HLYTallyEvent& event)
{
    if (!analyticsFeatureSwitchEnabled()) {
        log::always("[Halyard:Tally] Tally is disabled for this application. Please enable Tally on your dashboard.");
        return;
    }
    if (!customEventsFeatureSwitchEnabled()) {
        log::always("[Halyard:Tally] Tally Event tracking is disabled for this application. Ignoring "
                    + tallyDescription(event));
        return;
    }
    logEvent(HLYAnalyticsEvent::initWithTallyEvent(event, m_timestampGenerator->generateAnalyticsTimestamp(),
                                                   m_identifierGenerator->generateEventIdentifier()));
}

void HLYAnalyticsController::logAppInstalled()
{
    if (!riggingIsFirstInstall())
        return;
    logEvent(HLYAnalyticsApplicationLifecycleEvent::initApplicationInstalledEventWithTimestamp(
        m_timestampGenerator->generateAnalyticsTimestamp(), m_identifierGenerator->generateEventIdentifier()));
}

void HLYAnalyticsController::logAppLaunched()
{
    logEvent(HLYAnalyticsApplicationLifecycleEvent::initApplicationLaunchedEventWithTimestamp(
        m_timestampGenerator->generateAnalyticsTimestamp(), m_identifierGenerator->generateEventIdentifier()));
}

void HLYAnalyticsController::applicationLifecycleEvent(const std::string& notificationName)
{
    logEvent(HLYAnalyticsApplicationLifecycleEvent::initWithApplicationNotificationName(
        notificationName, m_timestampGenerator->generateAnalyticsTimestamp(),
        m_identifierGenerator->generateEventIdentifier(), settings().shouldFlushOnBackground));
}

void HLYAnalyticsController::logPreviousSessionCrashedOnDate(const std::optional<Date>& date)
{
    log::debugOnly("[Halyard:Tally] Logging previous session crashed event {date: "
                   + (date ? std::to_string(std::int64_t(date->secondsSince1970)) : std::string("(null)")) + "}");
    beginActivity();
    m_sessionMaintenanceQueue->async([self = shared_from_this(), date] {
        if (date && self->m_lastSessionIdentifier && self->m_lastSessionMetadata && self->m_lastSessionTimestamp != 0)
            self->writePreviousSessionCrash(*date);
        self->endActivity();
    });
}

void HLYAnalyticsController::writePreviousSessionCrash(const Date& date)
{
    const std::uint64_t timestamp = std::uint64_t(std::max(0.0, std::floor(date.secondsSince1970))) * 1000;
    const auto crashed = HLYAnalyticsApplicationLifecycleEvent::initApplicationCrashedEventWithTimestamp(
        timestamp, m_identifierGenerator->generateEventIdentifier());
    if (!crashed)
        return;
    const HLYAnalyticsMetadataEvent metadata(crashed->priority(), timestamp, m_lastSessionMetadata);
    KitError error;
    std::string fragment = m_identifierGenerator->generateSessionFragmentIdentifier();
    std::unique_ptr<HLYFileLock> held;
    const auto folder = lockNewFragment(*m_lastSessionIdentifier, m_lastSessionTimestamp, fragment, timestamp, held, &error);
    const auto name = Repository::activeEventLogFileNameForPriority(crashed->priority());
    if (!folder) {
        log::debugOnly("[Halyard:Tally] Unable to create a new session fragment to contain crash event {error: "
                       + error.describe() + "}");
        return;
    }
    const URL url = *folder / *name;
    auto file = HLYEventLogEventFile::initWithURL(url);
    bool written = false;
    if (!file || !file->appendEvent(metadata, &error))
        log::debugOnly("[Halyard:Tally] Unable to log metadata event {error: " + error.describe() + "}");
    else if (!file->appendEvent(*crashed, &error))
        log::debugOnly("[Halyard:Tally] Unable to log crash event {error: " + error.describe() + "}");
    else
        written = true;
    file.reset();
    if (!written)
        m_logSessionRepository.removeLogFile(url, nullptr);
}

// MARK: Settings

void HLYAnalyticsController::riggingSettingsDownloaded() { setSettings(riggingSettings()); }

void HLYAnalyticsController::setSettings(const std::optional<Value>& settings)
{
    m_sessionMaintenanceQueue->async([self = shared_from_this(), settings] { self->applySettings(settings); });
}

bool HLYAnalyticsController::analyticsFeatureSwitchEnabled() const
{
    const Settings current = settings();
    return !current.haveSettings || current.shouldCollectAnalytics;
}

bool HLYAnalyticsController::customEventsFeatureSwitchEnabled() const
{
    const Settings current = settings();
    return !current.haveSettings || (current.shouldCollectAnalytics && current.trackCustomEvents);
}

void HLYAnalyticsController::applySettings(const std::optional<Value>& settings)
{
    const Map* features = mapAt(settings, "features");
    const Map* analytics = mapAt(settings, "analytics");
    const bool collect = flagAt(features, "collect_analytics");
    if (collect)
        log::debugOnly("[Halyard:Tally] Tally enabled with settings: "
                       + (analytics ? json::serialize(Value(*analytics)) : std::string("(null)")));
    Settings next;
    next.haveSettings = settings && settings->asMap();
    next.shouldCollectAnalytics = collect;
    const Value* url = analytics ? analytics->find("url") : nullptr;
    if (url && url->asString() && !url->asString()->empty())
        next.analyticsURL = *url->asString();
    next.shouldFlushOnBackground = flagAt(analytics, "flush_on_background");
    next.maxByteSizePerFile = countAt(analytics, "max_byte_size_per_file", UINT64_MAX);
    next.flushIntervalSecs = std::uint32_t(countAt(analytics, "flush_interval_secs", UINT32_MAX));
    next.maxPendingSendFileCount = std::uint32_t(countAt(analytics, "max_pending_send_file_count", UINT32_MAX));
    next.trackCustomEvents = flagAt(analytics, "track_custom_events");
    {
        std::lock_guard lock(m_settingsMutex);
        m_settings = next;
    }
    scheduleSessionMaintenance();
    handleDisabledFeatureSwitch();
    if (!collect)
        return;
    if (!m_loggedAnalyticsEnabled) {
        if (const auto session = m_logSessionRepository.sessionDirectoryURLForStateName(
                Repository::kActiveStateName, m_sessionIdentifier, m_sessionTimestamp, nullptr)) {
            log::debugOnly("[Halyard:Tally] Logging events to session directory " + session->string());
            m_loggedAnalyticsEnabled = true;
        }
    }
    if (m_performSessionMaintenanceAfterSettingsArrive)
        maintainSessionFragmentsIgnoringError();
}

void HLYAnalyticsController::handleDisabledFeatureSwitch()
{
    if (analyticsFeatureSwitchEnabled())
        return;
    log::debugOnly("[Halyard:Tally] Tally is disabled. Cleaning up session directory");
    std::error_code code;
    if (fs::exists(m_analyticsRootDirectoryURL, code)) {
        for (std::size_t priority = 0; priority < kPriorityCount; ++priority)
            m_priorityEventLoggingQueues[priority]->sync([this, priority] {
                m_priorityLogs[priority].file.reset();
                m_priorityLogs[priority].url.reset();
            });
        fs::remove_all(m_analyticsRootDirectoryURL, code);
        if (code)
            log::debugOnly("[Halyard:Tally] Unable to purge analytics directory {error = " + code.message() + "}");
        std::lock_guard lock(m_fragmentMutex);
        m_openFragmentLock.reset();
    }
    m_performSessionMaintenanceAfterSettingsArrive = false;
}

} // namespace qlkit
