// The crash reporter's start and its handling of earlier runs' reports: lays
// out the report folders, keeps the launch marker (a launch that ended
// before the main queue first ran makes its reports urgent), opens this run's
// folder, starts the capture core, and hands each earlier report to the
// delegate, the user's prompt and the reports pipeline.
#pragma once

#include "crash/capture/HLYContext.h"
#include "crash/kit/HLYApplication.h"
#include "crash/kit/HLYPromptPresenter.h"
#include "crash/kit/HLYSettings.h"
#include "crash/reports/HLYNetworkClient.h"
#include "crash/reports/HLYReportsController.h"
#include "sdk/foundation/Dispatch.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class HLYFileLock;
class HLYFileManager;
class HLYInternalReport;

class HLYCrashReportingControllerDelegate {
public:
    virtual ~HLYCrashReportingControllerDelegate() = default;
    virtual std::optional<std::string> APIKeyForCrashReportingController() = 0;
    virtual std::string installIDForCrashReportingController() = 0;
    virtual bool isFirstInstallForCrashReportingController() = 0;
    virtual HLYSettings settingsForCrashReportingController() = 0;
    virtual bool shouldInstallCrashCallback() = 0;
    virtual void detectedCrash() = 0;
    virtual bool reportingControllerCanUseBackgroundSessions() = 0;
    virtual bool reportingControllerMustInformDelegateOfReports() = 0;
    virtual bool reportingControllerEnsureDeliveryOfUnixSignal(int signal) = 0;
    virtual void reportingControllerInternalDidDetectReportForLastExecution(const std::shared_ptr<HLYInternalReport>& report) = 0;
    virtual void reportingControllerDidDetectReportForLastExecution(const std::shared_ptr<HLYInternalReport>& report,
                                                                    std::function<void(bool submit)> completion) = 0;
};

class HLYCrashReportingController final : public HLYNetworkClientDelegate,
                                          public HLYReportsControllerDelegate,
                                          public HLYCrashCallbackTarget,
                                          public HLYSubmittableCrashObserver,
                                          public std::enable_shared_from_this<HLYCrashReportingController> {
public:
    // Bounds on sending one package again within a run.
    static constexpr double kRetryDelay = 600.0;
    static constexpr int kMaximumRetries = 6;

    static std::shared_ptr<HLYCrashReportingController> create(std::shared_ptr<HLYFileManager> fileManager,
                                                               std::weak_ptr<HLYCrashReportingControllerDelegate> delegate);
    ~HLYCrashReportingController() override;

    bool startWithProfilingMark(std::uint64_t mark, const std::optional<std::string>& betaToken);

    // The application's way to ask its user; without one reports are sent unasked.
    void setPromptPresenter(std::shared_ptr<HLYPromptPresenter> presenter);

    const std::shared_ptr<HLYFileManager>& fileManager() const { return m_fileManager; }
    const std::shared_ptr<SerialQueue>& workQueue() const { return m_workQueue; }
    const std::shared_ptr<HLYNetworkClient>& networkClient() const { return m_networkClient; }
    std::shared_ptr<HLYReportsController> reportsController();
    const std::shared_ptr<HLYInternalReport>& currentReport() const { return m_currentReport; }
    HLYSettings settings() const;
    int promptChoice() const { return m_promptChoice.load(); }
    std::optional<std::string> bundleIdentifier() const;
    std::optional<std::string> APIKey() const;

    bool packagingEnabled() const { return settings().shouldPackageReports(); }
    bool delegateNeedsToBeInformedOfReports() const;
    bool canProcessUrgentReports() const;
    bool needsToPrompt() const;
    std::uint32_t machExceptionMask() const;

    std::filesystem::path launchFailureMarkerPath() const;
    bool createLaunchFailureMarker() const;
    bool launchFailureMarkerPresent() const;
    bool removeLaunchFailureMarker() const;
    bool checkForAndCreateLaunchMarker() const;

    void processExistingReportPaths(const std::vector<std::filesystem::path>& paths, bool urgent);
    void processExistingActiveReportPath(const std::filesystem::path& path, bool urgent);
    void handleDelegateCompletionForReport(const std::shared_ptr<HLYInternalReport>& report, bool submit);
    void removeReport(const std::shared_ptr<HLYInternalReport>& report);
    void handleContentsInOtherReportingDirectories();
    void handleExistingFilesInProcessing();
    void handleExistingFilesInPrepared();
    void uploadPreexistingFiles(const std::vector<std::filesystem::path>& paths);
    void retryUploadForReportAtPath(const std::filesystem::path& path);

    void displayPermissionAlertForReport(const std::shared_ptr<HLYInternalReport>& report);
    void setupAndDisplayAlert(const HLYPromptTexts& texts, const std::shared_ptr<HLYInternalReport>& report);
    void handlePromptCompleteForReport(const std::shared_ptr<HLYInternalReport>& report, bool submit, bool alwaysSubmit);

    bool attemptCurrentReportSubmission();

    // Run state, from the application's activation notifications.
    static constexpr const char* kWillBecomeActiveNotification = kHLYApplicationWillBecomeActiveNotification;
    static constexpr const char* kDidResignActiveNotification = kHLYApplicationDidResignActiveNotification;

    // HLYNetworkClientDelegate
    bool networkClientCanUseBackgroundSessions(HLYNetworkClient& client) override;
    void networkClientDidFinishUpload(HLYNetworkClient& client, const std::filesystem::path& path,
                                      const std::optional<KitError>& error) override;
    // HLYReportsControllerDelegate
    HLYSettings settingsForReportsController(HLYReportsController& controller) override;
    std::optional<std::string> bundleIdentifierForReportsController(HLYReportsController& controller) override;
    std::optional<std::string> APIKeyForReportsController(HLYReportsController& controller) override;
    void reportsControllerDidCompletePackageSubmission(HLYReportsController& controller, const std::filesystem::path& path,
                                                       const std::optional<KitError>& error) override;
    void reportsControllerDidCompleteAllSubmissions(HLYReportsController& controller) override;
    // HLYCrashCallbackTarget, HLYSubmittableCrashObserver
    void deliverCrashDelegateCallback() override;
    void potentiallySubmittableCrashOccurred() override;

private:
    HLYCrashReportingController(std::shared_ptr<HLYFileManager> fileManager,
                                std::weak_ptr<HLYCrashReportingControllerDelegate> delegate);
    bool setupCurrentReport();
    void startCrashReporter(const std::optional<std::string>& betaToken);
    void crashReportingSetupCompleted();
    void setupStateNotifications();
    void checkForUserPromptSetting();
    void submitReport(const std::shared_ptr<HLYInternalReport>& report);

    std::shared_ptr<HLYFileManager> m_fileManager;
    std::weak_ptr<HLYCrashReportingControllerDelegate> m_delegate;
    std::shared_ptr<SerialQueue> m_workQueue;
    std::shared_ptr<HLYNetworkClient> m_networkClient;
    std::shared_ptr<HLYInternalReport> m_currentReport;
    std::unique_ptr<HLYFileLock> m_currentReportLock;
    std::optional<HLYSettings> m_settings;
    std::shared_ptr<HLYPromptPresenter> m_promptPresenter;
    std::atomic<int> m_promptChoice {0};
    // One prompt at a time: reports that come up meanwhile wait for its answer.
    bool m_promptShowing = false; // main queue only
    std::vector<std::pair<HLYPromptTexts, std::shared_ptr<HLYInternalReport>>> m_waitingPrompts;
    std::vector<int> m_observerTokens;

    mutable std::mutex m_mutex;
    std::shared_ptr<HLYReportsController> m_reportsController;
    std::map<std::string, int> m_retries; // by package path
};

} // namespace qlkit
