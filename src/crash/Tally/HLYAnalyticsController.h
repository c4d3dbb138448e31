// The analytics engine of the kit: one session per launch, cut into
// fragments, with one log per priority in the open fragment. Events are
// appended on their priority's serial queue; a full log, a high-priority
// event or the timer starts session maintenance (new fragment, packaging,
// upload, pruning, clean-up) on the maintenance queue.
//
// Several running instances of one application share the tree: every
// fragment folder a process works on (its open fragment, one being written,
// packaged or uploaded) holds a hidden lock file it keeps locked, and every
// step leaves alone a folder someone else holds.
#pragma once

#include "crash/Tally/HLYAnalyticsMetadataController.h"
#include "crash/Tally/HLYAnalyticsNetworkingClient.h"
#include "crash/Tally/HLYEventLog/HLYAnalyticsGenerators.h"
#include "crash/Tally/HLYEventLog/HLYEventLogFile.h"
#include "crash/Tally/HLYEventLog/HLYEventLogSessionRepository.h"
#include "sdk/foundation/Dispatch.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class HLYFileLock;
class HLYTallyEvent;
class HLYUserDefaults;

class HLYAnalyticsController : public std::enable_shared_from_this<HLYAnalyticsController> {
public:
    using URL = std::filesystem::path;
    using Completion = std::function<void(const std::optional<KitError>& error)>;

    static constexpr const char* kErrorDomain = "HLYAnalyticsControllerErrorDomain";
    static constexpr long kErrorUploadUnderWay = -1;
    static constexpr long kErrorNoAnalyticsURL = -2;
    static constexpr long kErrorNothingLeftToPrune = -3;
    static constexpr std::size_t kPriorityCount = 3;
    // How long a fragment switch waits for the logging queues.
    static constexpr double kFragmentSwitchWait = 5.0;
    // What the events written between a full log's maintenance trigger and
    // the switch to a new fragment may add to it.
    static constexpr std::uint64_t kLogLengthAllowance = 1ull << 20;

    // JSON is always at hand here.
    static bool deviceMeetsMinimumRequirements() { return true; }
    // Not in an application extension.
    static bool supported();

    // What the controller works with; tests hand in their own.
    struct Collaborators {
        std::shared_ptr<HLYAnalyticsIdentifierGenerator> identifierGenerator;
        std::shared_ptr<HLYAnalyticsTimestampGenerator> timestampGenerator;
        std::shared_ptr<HLYAnalyticsMetadataController> metadataController; // none: records without metadata
        std::shared_ptr<HLYAnalyticsNetworkingClient> networkingClient;
        HLYUserDefaults* userDefaults = nullptr; // the kit's store when none
    };

    // Nothing when the first fragment cannot be prepared.
    static std::shared_ptr<HLYAnalyticsController> create(const std::string& sessionIdentifier, const URL& rootDirectory,
                                                          const std::optional<std::string>& betaToken);
    static std::shared_ptr<HLYAnalyticsController> create(const std::string& sessionIdentifier,
                                                          std::uint64_t sessionTimestamp, const URL& rootDirectory,
                                                          const std::optional<std::string>& betaToken,
                                                          Collaborators collaborators);
    ~HLYAnalyticsController();
    HLYAnalyticsController(const HLYAnalyticsController&) = delete;
    HLYAnalyticsController& operator=(const HLYAnalyticsController&) = delete;

    // Events, from any thread. Priority 0 and 1 are written before the call
    // returns, priority 2 later.
    void logEvent(std::shared_ptr<const HLYEventLogEvent> event);
    void logTallyEvent(const HLYTallyEvent& event);
    void logAppInstalled();
    void logAppLaunched();
    void logPreviousSessionCrashedOnDate(const std::optional<Date>& date);
    void applicationLifecycleEvent(const std::string& notificationName);

    // Settings, applied on the maintenance queue.
    void riggingSettingsDownloaded();
    void setSettings(const std::optional<Value>& settings);
    bool analyticsFeatureSwitchEnabled() const;
    bool customEventsFeatureSwitchEnabled() const;

    std::optional<Value> riggingSettings() const;
    bool riggingIsFirstInstall() const;
    std::optional<std::string> riggingAPIKey() const;
    const std::shared_ptr<HLYAnalyticsMetadataController>& metadataController() const { return m_metadataController; }
    std::optional<Bytes> metadataJSONData() const;
    void readLastSessionInformation();
    void saveCurrentSessionInformation();
    void dispatchToQueue(const std::shared_ptr<DispatchQueue>& queue, bool asynchronous, Task block);

    const std::string& sessionIdentifier() const { return m_sessionIdentifier; }
    std::uint64_t sessionTimestamp() const { return m_sessionTimestamp; }
    const URL& analyticsRootDirectoryURL() const { return m_analyticsRootDirectoryURL; }
    URL currentSessionFragmentDirectoryURL() const;
    HLYEventLogSessionRepository& logSessionRepository() { return m_logSessionRepository; }
    const std::shared_ptr<SerialQueue>& sessionMaintenanceQueue() const { return m_sessionMaintenanceQueue; }
    const std::shared_ptr<SerialQueue>& priorityEventLoggingQueue(std::size_t priority) const
    {
        return m_priorityEventLoggingQueues.at(priority);
    }
    const std::shared_ptr<HLYAnalyticsNetworkingClient>& networkingClient() const { return m_networkingClient; }
    // Waits (real time) until no maintenance chain or crash record is under
    // way; false on time-out.
    bool waitUntilIdle(double seconds) const;

    // Session maintenance. Each step runs on the maintenance queue and calls
    // its completion there; the chain always ends without error.
    void maintainSessionFragments(Completion completion);
    void maintainSessionFragmentsIgnoringError();
    void openNewSessionFragment(Completion completion);
    bool runOpenNewSessionFragment(KitError* error);
    void packageClosedSessionFragments(Completion completion);
    bool runPackageClosedSessionFragments(KitError* error);
    void transmitPackagedSessionFragments(Completion completion);
    void transmitNextPackagedSessionFragment(Completion completion);
    void transmitLogsForSessionFragmentDirectory(const URL& fragment, Completion completion);
    void pruneSessionFragmentLogFiles(Completion completion);
    bool runPruneSessionFragmentLogFiles(KitError* error);
    void cleanUpRepository(Completion completion);
    void scheduleSessionMaintenance();
    void cancelSessionMaintenance();
    // Seconds from now to the timer's first fire.
    double initialMaintenanceTimeWithFlushInterval(double interval);
    Date lastMaintenanceDate();
    void saveLastMaintenanceDate(const Date& date);
    std::optional<std::vector<URL>> sessionFragmentDirectoryURLsForStateName(const std::string& state, KitError* error);
    bool isOpenSessionFragmentDirectoryURL(const URL& url) const;
    bool purgePackagedPrepSessionFragmentDirectories();
    bool packageLogsFromActiveSessionFragmentDirectoryURL(const URL& source, const URL& destination, KitError* error);
    std::optional<std::vector<URL>> nonCurrentLogFileURLsForAllStates(KitError* error);
    static std::vector<std::vector<URL>> mutableSortedFileURLsGroupedByPrioritiesFromLogFileURLs(const std::vector<URL>& logs);

    static KitError errorWithCode(long code);

private:
    struct Settings {
        bool haveSettings = false;
        bool shouldCollectAnalytics = false;
        std::optional<std::string> analyticsURL;
        bool shouldFlushOnBackground = false;
        std::uint64_t maxByteSizePerFile = 0;
        std::uint32_t flushIntervalSecs = 0;
        std::uint32_t maxPendingSendFileCount = 0;
        bool trackCustomEvents = true;
    };
    // One priority's log in the open fragment; touched only on its queue.
    struct PriorityLog {
        std::optional<URL> url;
        std::uint64_t fragmentTimestamp = 0;
        std::unique_ptr<HLYEventLogEventFile> file;
        // A full log asks for maintenance once, not after every later append.
        bool askedForMaintenance = false;
    };

    HLYAnalyticsController(const std::string& sessionIdentifier, std::uint64_t sessionTimestamp, const URL& rootDirectory,
                           const std::optional<std::string>& betaToken, Collaborators collaborators);
    bool start();
    Settings settings() const;
    // A log grown past this asks for maintenance: the configured size per
    // file, and never so much that the allowance would pass the bound.
    std::uint64_t logLengthTrigger() const;
    // The most this run writes to one log: its size per log and the room
    // the event that passes it may take.
    std::uint64_t maximumLogLength() const { return logLengthTrigger() + kLogLengthAllowance; }
    HLYUserDefaults& userDefaults() const;
    std::string storedKey(const char* name) const;

    void appendEvent(const HLYEventLogEvent& event);
    bool ensureLogFileExistsForPriority(std::size_t priority, KitError* error);
    // Points the entry at the open fragment, made anew when the entry's
    // folder is still the open one; on that priority's queue.
    bool moveToNewFragmentAfterVanishedFolder(PriorityLog& entry, std::size_t priority, KitError* error);
    std::optional<URL> createEventFileURLForPriority(std::size_t priority, KitError* error);
    bool prepareNewSessionFragmentWithIdentifier(std::string identifier, std::uint64_t timestamp, KitError* error);
    void handleSizeTriggeredMaintainSessionFragmentForLogFile(PriorityLog& entry);
    void handlePriorityTriggeredMaintainSessionFragmentForEvent(const HLYEventLogEvent& event);
    void applySettings(const std::optional<Value>& settings);
    void handleDisabledFeatureSwitch();
    void writePreviousSessionCrash(const Date& date);
    // A new fragment folder, locked; another identifier when someone else
    // took the one asked for.
    std::optional<URL> lockNewFragment(const std::string& sessionIdentifier, std::uint64_t sessionTimestamp,
                                       std::string& fragmentIdentifier, std::uint64_t fragmentTimestamp,
                                       std::unique_ptr<HLYFileLock>& lock, KitError* error);
    void runStep(std::function<bool(KitError*)> work, Completion completion);
    void beginActivity();
    void endActivity();

    const URL m_analyticsRootDirectoryURL;
    const std::string m_sessionIdentifier;
    const std::uint64_t m_sessionTimestamp;
    const std::optional<std::string> m_betaToken;
    std::shared_ptr<HLYAnalyticsIdentifierGenerator> m_identifierGenerator;
    std::shared_ptr<HLYAnalyticsTimestampGenerator> m_timestampGenerator;
    std::shared_ptr<HLYAnalyticsMetadataController> m_metadataController;
    std::shared_ptr<HLYAnalyticsNetworkingClient> m_networkingClient;
    HLYUserDefaults* m_userDefaults;
    HLYEventLogSessionRepository m_logSessionRepository;

    std::shared_ptr<SerialQueue> m_sessionMaintenanceQueue;
    std::array<std::shared_ptr<SerialQueue>, kPriorityCount> m_priorityEventLoggingQueues;
    std::array<PriorityLog, kPriorityCount> m_priorityLogs;

    mutable std::mutex m_settingsMutex;
    Settings m_settings;
    std::atomic<bool> m_performSessionMaintenanceAfterSettingsArrive {false};
    bool m_loggedAnalyticsEnabled = false; // maintenance queue

    // Held while the open fragment is replaced, so that a maintenance
    // switch and a queue that found its folder gone never mix their fragments.
    std::mutex m_fragmentSwitchMutex;
    mutable std::mutex m_fragmentMutex;
    std::string m_currentSessionFragmentIdentifier;
    std::uint64_t m_currentSessionFragmentTimestamp = 0;
    URL m_currentSessionFragmentDirectoryURL;
    std::shared_ptr<HLYFileLock> m_openFragmentLock;

    // Maintenance queue only.
    std::optional<std::vector<URL>> m_sessionFragmentsToTransmit;
    std::unique_ptr<DispatchTimer> m_sessionFragmentMaintenanceTimerSource;

    std::optional<std::string> m_lastSessionIdentifier;
    std::uint64_t m_lastSessionTimestamp = 0;
    std::optional<Bytes> m_lastSessionMetadata;

    std::vector<int> m_observerTokens;
    mutable std::mutex m_activityMutex;
    mutable std::condition_variable m_activityChanged;
    int m_activity = 0;
};

} // namespace qlkit
