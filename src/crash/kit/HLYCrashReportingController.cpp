#include "crash/kit/HLYCrashReportingController.h"

#include "crash/HalyardConstants.h"
#include "crash/capture/HLYException.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYSignal.h"
#include "crash/capture/HLYUtilities.h"
#include "crash/kit/HLYApplication.h"
#include "crash/logging/HLYUserLogging.h"
#include "crash/reports/HLYFileLock.h"
#include "crash/reports/HLYFileManager.h"
#include "crash/reports/HLYInternalReport.h"
#include "sdk/ApplicationInfo.h"
#include "sdk/Rigging.h"
#include "sdk/foundation/Log.h"
#include "sdk/foundation/NotificationCenter.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace qlkit {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLaunchMarkerName = "launchmarker";
constexpr double kSetUpChecksDelay = 2.0;

// The exception types a signal's fault would arrive as, on a platform whose
// exception server claims them first.
std::uint32_t machExceptionMaskForSignal(int signal)
{
    switch (signal) {
    case SIGILL: return 0x4;
    case SIGTRAP: return 0x40;
    case SIGABRT: return 0x400;
    case SIGFPE: return 0x8;
    case SIGBUS: return 0x2;
    case SIGSEGV: return 0x2;
    case SIGSYS: return 0x400;
    default: return 0;
    }
}

std::string internalKey(const char* name) { return std::string(kHalyardInternalKeyPrefix) + name; }

// Writes an internal key from the logging queue, after what is queued there.
void writeInternalKeyLater(const char* name, std::string value)
{
    if (const auto queue = HLYLoggingQueue())
        queue->async([key = internalKey(name), value = std::move(value)] { HLYUserLoggingWriteInternalKeyValue(key, value); });
}

// Durations keep their fractions: most starts take a few milliseconds.
std::string millisecondsText(double milliseconds) { return Value(milliseconds).description(); }

bool isClientError(const KitError& error) { return error.domain == "RIGNetworkError" && error.code == -5; }

} // namespace

std::shared_ptr<HLYCrashReportingController>
HLYCrashReportingController::create(std::shared_ptr<HLYFileManager> fileManager,
                                    std::weak_ptr<HLYCrashReportingControllerDelegate> delegate)
{
    std::shared_ptr<HLYCrashReportingController> controller(
        new HLYCrashReportingController(std::move(fileManager), std::move(delegate)));
    controller->m_networkClient = HLYNetworkClient::create(controller->m_workQueue, controller->m_fileManager, controller);
    return controller;
}

HLYCrashReportingController::HLYCrashReportingController(std::shared_ptr<HLYFileManager> fileManager,
                                                         std::weak_ptr<HLYCrashReportingControllerDelegate> delegate)
    : m_fileManager(std::move(fileManager)), m_delegate(std::move(delegate)),
      m_workQueue(SerialQueue::create(kHalyardWorkQueueLabel))
{
}

HLYCrashReportingController::~HLYCrashReportingController()
{
    for (const int token : m_observerTokens)
        NotificationCenter::defaultCenter().removeObserver(token);
}

void HLYCrashReportingController::setPromptPresenter(std::shared_ptr<HLYPromptPresenter> presenter)
{
    std::lock_guard lock(m_mutex);
    m_promptPresenter = std::move(presenter);
}

HLYSettings HLYCrashReportingController::settings() const
{
    std::lock_guard lock(m_mutex);
    if (m_settings)
        return *m_settings;
    const auto delegate = m_delegate.lock();
    return delegate ? delegate->settingsForCrashReportingController() : HLYSettings(std::nullopt);
}

std::optional<std::string> HLYCrashReportingController::bundleIdentifier() const { return RIGApplicationBundleIdentifier(); }

std::optional<std::string> HLYCrashReportingController::APIKey() const
{
    const auto delegate = m_delegate.lock();
    return delegate ? delegate->APIKeyForCrashReportingController() : std::nullopt;
}

std::shared_ptr<HLYReportsController> HLYCrashReportingController::reportsController()
{
    std::lock_guard lock(m_mutex);
    if (!m_reportsController)
        m_reportsController = std::make_shared<HLYReportsController>(m_workQueue, weak_from_this(), m_networkClient,
                                                                     m_fileManager);
    return m_reportsController;
}

bool HLYCrashReportingController::delegateNeedsToBeInformedOfReports() const
{
    const auto delegate = m_delegate.lock();
    return delegate && delegate->reportingControllerMustInformDelegateOfReports();
}

bool HLYCrashReportingController::needsToPrompt() const
{
    const int choice = m_promptChoice.load();
    return choice != 2 && choice != 3 && settings().userPromptEnabled();
}

bool HLYCrashReportingController::canProcessUrgentReports() const
{
    return settings().canProcessUrgentReports() && !needsToPrompt() && !delegateNeedsToBeInformedOfReports();
}

std::uint32_t HLYCrashReportingController::machExceptionMask() const
{
    const auto delegate = m_delegate.lock();
    std::uint32_t mask = 0;
    for (const int signal : kHLYHandledSignals)
        if (delegate && delegate->reportingControllerEnsureDeliveryOfUnixSignal(signal))
            mask |= machExceptionMaskForSignal(signal);
    return mask;
}

fs::path HLYCrashReportingController::launchFailureMarkerPath() const
{
    return m_fileManager->structurePath() / kLaunchMarkerName;
}

bool HLYCrashReportingController::createLaunchFailureMarker() const
{
    const int descriptor = ::open(launchFailureMarkerPath().c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    return descriptor >= 0 && ::close(descriptor) == 0;
}

bool HLYCrashReportingController::launchFailureMarkerPresent() const
{
    std::error_code error;
    return fs::exists(launchFailureMarkerPath(), error);
}

bool HLYCrashReportingController::removeLaunchFailureMarker() const
{
    return m_fileManager->removeItemAtPath(launchFailureMarkerPath());
}

bool HLYCrashReportingController::checkForAndCreateLaunchMarker() const
{
    const bool present = launchFailureMarkerPresent();
    if (present)
        log::debugOnly("[Halyard:Crash] Last launch failed");
    else
        createLaunchFailureMarker();
    return present;
}

bool HLYCrashReportingController::startWithProfilingMark(std::uint64_t mark, const std::optional<std::string>& betaToken)
{
    const auto bundle = bundleIdentifier();
    if (!bundle || bundle->empty()) {
        log::always("[Halyard] An application must have a valid bundle idenifier in its Info.plist");
        return false;
    }
    const auto delegate = m_delegate.lock();
    {
        std::lock_guard lock(m_mutex);
        m_settings = delegate ? delegate->settingsForCrashReportingController() : HLYSettings(std::nullopt);
    }
    if (!settings().crashReportingEnabled()) {
        log::always("[Halyard:Crash] Reporting is disabled");
        m_fileManager->removeContentsOfAllPaths();
        return false;
    }
    // The legacy removal deletes the whole tree: it ends before the new one is made.
    m_workQueue->sync([fileManager = m_fileManager] { fileManager->removeLegacyDirectories(); });
    if (!m_fileManager->prepareForNewLaunch())
        return false;
    const bool urgent = checkForAndCreateLaunchMarker();
    const auto oldReports = m_fileManager->activePathContents();
    const bool current = setupCurrentReport();
    if (current)
        startCrashReporter(betaToken);
    processExistingReportPaths(oldReports, urgent);
    handleContentsInOtherReportingDirectories();
    writeInternalKeyLater("kit-start-time", millisecondsText(HLYProfileMillisecondsSinceMark(mark)));
    return current;
}

bool HLYCrashReportingController::setupCurrentReport()
{
    createLaunchFailureMarker();
    const std::string identifier = Rigging::sharedSDK().executionIdentifier();
    // The lock is held for the run's life: another instance must not take
    // this folder for an old report.
    const auto path = m_fileManager->setupNewPathForExecutionIdentifier(identifier, &m_currentReportLock);
    if (!path) {
        log::always("[Halyard:Crash] Unable to setup a new report");
        return false;
    }
    m_currentReport = std::make_shared<HLYInternalReport>(*path, identifier);
    return true;
}

void HLYCrashReportingController::startCrashReporter(const std::optional<std::string>& betaToken)
{
    const auto delegate = m_delegate.lock();
    const HLYSettings current = settings();
    const std::string apiKey = APIKey().value_or("");
    const std::string folder = m_currentReport->path().string();
    const std::string session = m_currentReport->identifier().value_or("");
    const std::string install = delegate ? delegate->installIDForCrashReportingController() : std::string();

    HLYContextInitData init;
    init.apiKey = apiKey.c_str();
    init.submittableCrashObserver = nullptr;
    init.firstInstall = delegate && delegate->isFirstInstallForCrashReportingController();
    init.crashCallbackTarget = delegate && delegate->shouldInstallCrashCallback() ? this : nullptr;
    init.customBundleIdentifier = nullptr;
    init.reportFolder = folder.c_str();
    init.sessionIdentifier = session.c_str();
    init.installIdentifier = install.c_str();
    init.betaToken = betaToken ? betaToken->c_str() : nullptr;
    init.machExceptionMask = machExceptionMask();
    init.errorReportingEnabled = current.errorReportingEnabled();
    init.customExceptionsEnabled = current.customExceptionsEnabled();
    init.maxCustomExceptions = current.maxCustomExceptions();
    init.errorLogBufferSize = current.errorLogBufferSize();
    init.logBufferSize = current.logBufferSize();
    init.maxCustomKeys = current.maxCustomKeys();
    HLYContextInitialize(&init);
    setupStateNotifications();
    crashReportingSetupCompleted();
}

void HLYCrashReportingController::crashReportingSetupCompleted()
{
    std::weak_ptr<HLYCrashReportingController> weak = weak_from_this();
    mainQueue()->after(kSetUpChecksDelay, [weak] {
        HLYExceptionCheckHandlers();
        HLYSignalCheckHandlers();
        if (const auto self = weak.lock())
            self->checkForUserPromptSetting();
    });
    // The marker lives until the main queue first gets to run.
    mainQueue()->async([weak] {
        if (const auto self = weak.lock())
            self->removeLaunchFailureMarker();
        writeInternalKeyLater("first-run-loop-time", millisecondsText(HLYProfileMillisecondsSinceStart()));
    });
}

void HLYCrashReportingController::setupStateNotifications()
{
    writeInternalKeyLater("in-background", "0");
    auto& center = NotificationCenter::defaultCenter();
    m_observerTokens.push_back(
        center.addObserver(kWillBecomeActiveNotification, [](const std::string&) { writeInternalKeyLater("in-background", "0"); }));
    m_observerTokens.push_back(
        center.addObserver(kDidResignActiveNotification, [](const std::string&) { writeInternalKeyLater("in-background", "1"); }));
}

void HLYCrashReportingController::checkForUserPromptSetting()
{
    if (settings().userPromptEnabled() && !delegateNeedsToBeInformedOfReports())
        log::always("[Halyard:Crash] WARNING: the user prompt feature is enabled. As of Halyard 3.0.0, implementing a "
                    "user prompt is the application's responsibility. See Halyard's notes about "
                    "-halyardDidDetectReportForLastExecution:completionHandler:");
}

void HLYCrashReportingController::processExistingReportPaths(const std::vector<fs::path>& paths, bool urgent)
{
    for (const auto& path : paths)
        processExistingActiveReportPath(path, urgent);
}

void HLYCrashReportingController::processExistingActiveReportPath(const fs::path& path, bool urgent)
{
    // Another running instance's live folder is not an old report.
    if (HLYFileLock::isLockedElsewhere(path))
        return;
    const auto report = HLYInternalReport::reportWithPath(path);
    if (!report->needsToBeSubmitted()) {
        m_workQueue->async([self = shared_from_this(), report] { self->removeReport(report); });
        return;
    }
    const auto delegate = m_delegate.lock();
    if (delegate)
        delegate->reportingControllerInternalDidDetectReportForLastExecution(report);
    if (urgent && canProcessUrgentReports()) {
        reportsController()->prepareAndSubmitReport(report, true, true);
        return;
    }
    std::weak_ptr<HLYCrashReportingController> weak = weak_from_this();
    auto completion = [weak, report](bool submit) {
        if (const auto self = weak.lock())
            self->handleDelegateCompletionForReport(report, submit);
    };
    if (delegate)
        delegate->reportingControllerDidDetectReportForLastExecution(report, completion);
    else
        completion(true);
}

void HLYCrashReportingController::handleDelegateCompletionForReport(const std::shared_ptr<HLYInternalReport>& report,
                                                                    bool submit)
{
    m_workQueue->async([self = shared_from_this(), report, submit] {
        if (!submit) {
            log::debugOnly("[Halyard:Crash] Removing report at request of delegate");
            self->removeReport(report);
        } else if (self->needsToPrompt()) {
            self->displayPermissionAlertForReport(report);
        } else {
            self->submitReport(report);
        }
    });
}

void HLYCrashReportingController::submitReport(const std::shared_ptr<HLYInternalReport>& report)
{
    reportsController()->prepareAndSubmitReport(report, false, true);
}

void HLYCrashReportingController::removeReport(const std::shared_ptr<HLYInternalReport>& report)
{
    m_fileManager->removeItemAtPath(report->path());
}

void HLYCrashReportingController::displayPermissionAlertForReport(const std::shared_ptr<HLYInternalReport>& report)
{
    std::shared_ptr<HLYPromptPresenter> presenter;
    {
        std::lock_guard lock(m_mutex);
        presenter = m_promptPresenter;
    }
    // Nobody to ask (an extension, or an application without a prompt): send.
    if (HLYApplicationIsExtension() || !presenter) {
        m_workQueue->async([self = shared_from_this(), report] { self->submitReport(report); });
        return;
    }
    const HLYSettings current = settings();
    const HLYPromptTexts texts {current.interactivePromptTitle(), current.interactivePromptMessage(),
                                current.interactivePromptCancelTitle(), current.interactivePromptSendTitle(),
                                current.interactivePromptAlwaysSendTitle()};
    log::debugOnly("[Halyard:Crash] Displaying permission alert");
    mainQueue()->async([self = shared_from_this(), texts, report] { self->setupAndDisplayAlert(texts, report); });
}

void HLYCrashReportingController::setupAndDisplayAlert(const HLYPromptTexts& texts,
                                                       const std::shared_ptr<HLYInternalReport>& report)
{
    const int choice = m_promptChoice.load();
    if (choice == 1) {
        handlePromptCompleteForReport(report, false, false);
        return;
    }
    if (choice == 2 || choice == 3) {
        handlePromptCompleteForReport(report, true, false);
        return;
    }
    if (m_promptShowing) {
        m_waitingPrompts.emplace_back(texts, report);
        return;
    }
    std::shared_ptr<HLYPromptPresenter> presenter;
    {
        std::lock_guard lock(m_mutex);
        presenter = m_promptPresenter;
    }
    m_promptShowing = true;
    std::weak_ptr<HLYCrashReportingController> weak = weak_from_this();
    presenter->presentCrashReportPrompt(texts, [weak, report](HLYPromptChoice answer) {
        const auto self = weak.lock();
        if (!self)
            return;
        const bool submit = answer != HLYPromptChoice::DontSend;
        const bool always = answer == HLYPromptChoice::AlwaysSend;
        // The answer holds for the reports still waiting to be asked about.
        self->m_promptChoice = !submit ? 1 : always ? 3 : 2;
        self->handlePromptCompleteForReport(report, submit, always);
        mainQueue()->async([self] {
            self->m_promptShowing = false;
            auto waiting = std::move(self->m_waitingPrompts);
            self->m_waitingPrompts.clear();
            for (const auto& [texts, report] : waiting)
                self->setupAndDisplayAlert(texts, report);
        });
    });
}

void HLYCrashReportingController::handlePromptCompleteForReport(const std::shared_ptr<HLYInternalReport>& report,
                                                                bool submit, bool alwaysSubmit)
{
    m_workQueue->async([self = shared_from_this(), report, submit, alwaysSubmit] {
        if (!submit) {
            self->m_promptChoice = 1;
            log::debugOnly("[Halyard:Crash] Removing report at request of user");
            self->removeReport(report);
            return;
        }
        self->submitReport(report);
        if (alwaysSubmit)
            log::always("should set always submit here");
        // A choice made already (send silently) stays what it was.
        int expected = 0;
        self->m_promptChoice.compare_exchange_strong(expected, alwaysSubmit ? 3 : 2);
    });
}

void HLYCrashReportingController::handleContentsInOtherReportingDirectories()
{
    handleExistingFilesInProcessing();
    handleExistingFilesInPrepared();
}

void HLYCrashReportingController::handleExistingFilesInProcessing()
{
    const auto entries = m_fileManager->processingPathContents();
    m_workQueue->async([self = shared_from_this(), entries] {
        for (const auto& entry : entries) {
            std::error_code error;
            if (fs::exists(entry, error))
                self->reportsController()->prepareAndSubmitReport(HLYInternalReport::reportWithPath(entry), false, false);
        }
    });
}

void HLYCrashReportingController::handleExistingFilesInPrepared()
{
    const auto entries = m_fileManager->preparedPathContents();
    std::weak_ptr<HLYCrashReportingController> weak = weak_from_this();
    m_networkClient->attemptToReconnectBackgroundSessionWithCompletionBlock([weak, entries] {
        if (const auto self = weak.lock())
            self->m_workQueue->async([self, entries] { self->uploadPreexistingFiles(entries); });
    });
}

void HLYCrashReportingController::uploadPreexistingFiles(const std::vector<fs::path>& paths)
{
    for (const auto& path : paths) {
        std::error_code error;
        if (fs::exists(path, error))
            reportsController()->uploadPackagedReportAtPath(path, false);
    }
}

void HLYCrashReportingController::retryUploadForReportAtPath(const fs::path& path)
{
    {
        std::lock_guard lock(m_mutex);
        if (++m_retries[path.string()] > kMaximumRetries) {
            log::debugOnly("[Halyard:Crash] no more attempts for " + path.string() + " in this run");
            return;
        }
    }
    std::weak_ptr<HLYCrashReportingController> weak = weak_from_this();
    m_workQueue->after(kRetryDelay, [weak, path] {
        const auto self = weak.lock();
        if (!self)
            return;
        log::debugOnly("[Halyard:Crash] re-attempting report submission");
        std::error_code error;
        if (fs::exists(path, error))
            self->reportsController()->uploadPackagedReportAtPath(path, false);
    });
}

bool HLYCrashReportingController::attemptCurrentReportSubmission()
{
    HLYSDKLog("%s: Attempting to submit the current report\n", "attemptCurrentReportSubmission");
    const auto entries = m_fileManager->activePathContents();
    if (entries.size() != 1) {
        HLYSDKLog("%s: More than one directory in active - cannot submit\n", "attemptCurrentReportSubmission");
        return false;
    }
    const fs::path copy = entries.front().string() + "-submit";
    std::error_code error;
    fs::copy(entries.front(), copy, fs::copy_options::recursive, error);
    if (error) {
        HLYSDKLog("%s: Error: unable to copy report for submission\n", "attemptCurrentReportSubmission");
        return false;
    }
    return reportsController()->prepareAndSubmitReport(HLYInternalReport::reportWithPath(copy), true, true);
}

void HLYCrashReportingController::potentiallySubmittableCrashOccurred()
{
    if (!canProcessUrgentReports())
        return;
    HLYSDKLog("%s: Attempting submission\n", "potentiallySubmittableCrashOccurred");
    try {
        attemptCurrentReportSubmission();
    } catch (...) {
        HLYSDKLog("%s: Last effort exception\n", "potentiallySubmittableCrashOccurred");
    }
}

bool HLYCrashReportingController::networkClientCanUseBackgroundSessions(HLYNetworkClient&)
{
    const auto delegate = m_delegate.lock();
    return delegate && delegate->reportingControllerCanUseBackgroundSessions();
}

void HLYCrashReportingController::networkClientDidFinishUpload(HLYNetworkClient&, const fs::path& path,
                                                               const std::optional<KitError>& error)
{
    reportsController()->reportUploadAtPath(path, error);
}

HLYSettings HLYCrashReportingController::settingsForReportsController(HLYReportsController&) { return settings(); }

std::optional<std::string> HLYCrashReportingController::bundleIdentifierForReportsController(HLYReportsController&)
{
    return bundleIdentifier();
}

std::optional<std::string> HLYCrashReportingController::APIKeyForReportsController(HLYReportsController&)
{
    return APIKey();
}

void HLYCrashReportingController::reportsControllerDidCompletePackageSubmission(HLYReportsController&,
                                                                                const fs::path& path,
                                                                                const std::optional<KitError>& error)
{
    if (!error) {
        log::debugOnly("[Halyard:Crash] report submission successful");
        return;
    }
    log::debugOnly("[Halyard:Crash] report submission failed with error " + error->describe());
    HLYSDKLog("%s: Error: failed to submit report '%s'\n", "reportsControllerDidCompletePackageSubmission",
              error->describe().c_str());
    // The service refused the package itself: sending it again now would
    // only be refused again. It stays for the next start.
    if (isClientError(*error))
        return;
    retryUploadForReportAtPath(path);
}

void HLYCrashReportingController::reportsControllerDidCompleteAllSubmissions(HLYReportsController& controller)
{
    m_workQueue->async([self = shared_from_this(), finished = &controller] {
        {
            std::lock_guard lock(self->m_mutex);
            if (self->m_reportsController.get() == finished)
                self->m_reportsController.reset();
        }
        log::debugOnly("[Halyard:Crash] report submission complete");
    });
}

void HLYCrashReportingController::deliverCrashDelegateCallback()
{
    if (const auto delegate = m_delegate.lock())
        delegate->detectedCrash();
}

} // namespace qlkit
