#include "crash/kit/Halyard.h"

#include "crash/HalyardConstants.h"
#include "crash/Tally/HLYAnalyticsController.h"
#include "crash/Tally/Tally.h"
#include "crash/capture/HLYUtilities.h"
#include "crash/kit/HLYApplication.h"
#include "crash/logging/HLYUserLogging.h"
#include "crash/reports/HLYFileManager.h"
#include "crash/reports/HLYReport.h"
#include "sdk/HostInfo.h"
#include "sdk/Rigging.h"
#include "sdk/foundation/Dispatch.h"
#include "sdk/foundation/Log.h"

#include <ctime>
#include <typeinfo>

namespace qlkit {

std::shared_ptr<Halyard> Halyard::sharedInstance()
{
    static const std::shared_ptr<Halyard> instance = std::make_shared<Halyard>();
    return instance;
}

Halyard::Halyard() = default;

std::shared_ptr<Halyard> Halyard::startWithAPIKey(const std::string& apiKey, std::shared_ptr<HalyardDelegate> delegate)
{
    auto kit = sharedInstance();
    if (delegate)
        kit->setDelegate(std::move(delegate));
    Rigging::sharedSDK().setAPIKey(apiKey);
    Rigging::with({kit});
    return kit;
}

std::shared_ptr<Halyard> Halyard::startWithAPIKeyAfterDelay(const std::string& apiKey, double,
                                                            std::shared_ptr<HalyardDelegate> delegate)
{
    log::always(delegate ? "[Halyard] Warning, startWithAPIKey:delegate:afterDelay: is deprecated."
                         : "[Halyard] Warning, startWithAPIKey:afterDelay: is deprecated.");
    return startWithAPIKey(apiKey, std::move(delegate));
}

std::string Halyard::kitBundleIdentifier() { return kHalyardKitIdentifier; }
std::string Halyard::kitDisplayVersion() { return kHalyardDisplayVersion; }
std::string Halyard::kitBuildVersion() { return kHalyardBuildVersion; }

void Halyard::start()
{
    std::call_once(m_started, [this] {
        const std::uint64_t mark = HLYMonotonicNanoseconds();
        log::always("[Halyard] Version " + kitDisplayVersion() + " (" + kitBuildVersion() + ")");
        log::debugOnly("[Halyard] Running on " + RIGHostModel().value_or("") + ", " + RIGHostOSDisplayVersion() + " ("
                       + RIGHostOSBuildVersion().value_or("") + ")");
        std::weak_ptr<Halyard> weak = weak_from_this();
        mainQueue()->async([weak] {
            if (const auto self = weak.lock())
                self->warnDelegateAboutMethods();
        });
        m_fileManager = std::make_shared<HLYFileManager>();
        if (HLYBetaController::isBetaSupported()) {
            m_betaController = HLYBetaController::create(weak_from_this());
            if (!m_betaController->start())
                log::always("[Halyard] Beta could not be initialized");
        }
        auto controller = HLYCrashReportingController::create(m_fileManager, weak_from_this());
        {
            std::lock_guard lock(m_mutex);
            controller->setPromptPresenter(m_promptPresenter);
            m_crashReportingController = controller;
        }
        const auto token = m_betaController ? m_betaController->betaToken() : std::nullopt;
        if (!controller->startWithProfilingMark(mark, token))
            log::always("[Halyard] Crash reporting could not be initialized");
        startAnalytics(token);
    });
}

void Halyard::startAnalytics(const std::optional<std::string>& betaToken)
{
    if (!HLYAnalyticsController::supported())
        return;
    auto analytics = HLYAnalyticsController::create(Rigging::sharedSDK().executionIdentifier(),
                                                    m_fileManager->rootPath() / "analytics", betaToken);
    if (!analytics)
        return;
    std::vector<std::optional<Date>> crashes;
    {
        std::lock_guard lock(m_mutex);
        m_analyticsController = analytics;
        crashes.swap(m_pendingCrashDates);
    }
    analytics->logAppInstalled();
    analytics->logAppLaunched();
    for (const auto& date : crashes)
        analytics->logPreviousSessionCrashedOnDate(date);
}

std::shared_ptr<HLYAnalyticsController> Halyard::analyticsController() const
{
    std::lock_guard lock(m_mutex);
    return m_analyticsController;
}

void Halyard::logPreviousSessionCrashed(const std::optional<Date>& date)
{
    std::shared_ptr<HLYAnalyticsController> analytics;
    {
        std::lock_guard lock(m_mutex);
        // The main queue may run before the start has made the controller;
        // the start then logs the crash itself.
        if (!m_analyticsController) {
            m_pendingCrashDates.push_back(date);
            return;
        }
        analytics = m_analyticsController;
    }
    analytics->logPreviousSessionCrashedOnDate(date);
}

std::optional<std::string> Halyard::APIKey() const
{
    try {
        return Rigging::sharedSDK().APIKey();
    } catch (...) {
        return std::nullopt;
    }
}

std::string Halyard::installID() const { return Rigging::sharedSDK().installID(); }

bool Halyard::isFirstInstall() const { return Rigging::sharedSDK().isFirstInstall(); }

bool Halyard::isHalyardStarted() const
{
    std::lock_guard lock(m_mutex);
    return m_crashReportingController != nullptr;
}

bool Halyard::debugMode() const { return Rigging::sharedSDK().debug(); }

void Halyard::setDebugMode(bool)
{
    Rigging::sharedSDK().setDebug(true);
    if (isHalyardStarted())
        log::always("[Halyard] Warning, consider enabling debug mode before starting Halyard");
}

std::shared_ptr<HalyardDelegate> Halyard::delegate() const
{
    std::lock_guard lock(m_mutex);
    return m_delegate;
}

void Halyard::setDelegate(std::shared_ptr<HalyardDelegate> delegate)
{
    {
        std::lock_guard lock(m_mutex);
        m_delegate = std::move(delegate);
    }
    if (isHalyardStarted())
        log::always("[Halyard] Warning, setting delegate after start. Make sure to set the Halyard delegate before "
                    "calling startWithAPIKey:.., or +[Rigging with...] to avoid missing some delegate callbacks.");
}

void Halyard::setPromptPresenter(std::shared_ptr<HLYPromptPresenter> presenter)
{
    std::lock_guard lock(m_mutex);
    m_promptPresenter = presenter;
    if (m_crashReportingController)
        m_crashReportingController->setPromptPresenter(std::move(presenter));
}

void Halyard::crash() { __builtin_trap(); }

void Halyard::throwException() { HLYExceptionThrowTestCppException(); }

void Halyard::recordInternal(const char* key, const std::optional<std::string>& value)
{
    HLYUserLoggingRecordInternalKeyValue(kHalyardInternalKeyPrefix + std::string(key),
                                         value ? std::optional<Value>(*value) : std::nullopt);
}

void Halyard::setUserIdentifier(const std::optional<std::string>& value) { recordInternal("user-id", value); }
void Halyard::setUserName(const std::optional<std::string>& value) { recordInternal("user-name", value); }
void Halyard::setUserEmail(const std::optional<std::string>& value) { recordInternal("user-email", value); }

void Halyard::setDevelopmentPlatformName(const std::optional<std::string>& value)
{
    recordInternal("development-platform-name", value);
}

void Halyard::setDevelopmentPlatformVersion(const std::optional<std::string>& value)
{
    recordInternal("development-platform-version", value);
}

std::optional<std::string> Halyard::developmentPlatformName() const
{
    log::always("[Halyard] developmentPlatformName is write-only");
    return std::nullopt;
}

std::optional<std::string> Halyard::developmentPlatformVersion() const
{
    log::always("[Halyard] developmentPlatformVersion is write-only");
    return std::nullopt;
}

void Halyard::setObjectValue(const std::optional<Value>& value, const std::string& key)
{
    HLYUserLoggingRecordUserKeyValue(key, value);
}

void Halyard::recordError(const KitError& error, const std::optional<Map>& additionalUserInfo)
{
    HLYUserLoggingRecordError(error, additionalUserInfo);
}

void Halyard::recordCustomExceptionName(const std::string& name, const std::string& reason,
                                        const std::vector<HLYStackFrame>& frames)
{
    const std::vector<HLYStackFrame> copy = frames;
    HLYExceptionRecord(HLYExceptionTypeCustom, name.c_str(), reason.c_str(), &copy, false);
}

void Halyard::logEvent(const std::string& name, const std::optional<Map>& attributes)
{
    Tally::logCustomEventWithName(name, attributes);
}

HLYSettings Halyard::settingsForCrashReportingController() { return HLYSettings(Rigging::sharedSDK().settings()); }

bool Halyard::shouldInstallCrashCallback()
{
    const auto current = delegate();
    return current && current->implementsDidDetectCrash();
}

void Halyard::detectedCrash()
{
    if (const auto current = delegate(); current && current->implementsDidDetectCrash())
        current->halyardDidDetectCrash(*this);
}

bool Halyard::reportingControllerCanUseBackgroundSessions()
{
    const auto current = delegate();
    if (current && current->implementsCanUseBackgroundSessions())
        return current->halyardCanUseBackgroundSessions(*this);
    return !HLYApplicationIsExtension();
}

bool Halyard::reportingControllerMustInformDelegateOfReports()
{
    const auto current = delegate();
    return current
           && (current->implementsDidDetectReportForLastExecution()
               || current->implementsDidDetectCrashDuringPreviousExecutionWithReport()
               || current->implementsDidDetectCrashDuringPreviousExecution());
}

bool Halyard::reportingControllerEnsureDeliveryOfUnixSignal(int signal)
{
    const auto current = delegate();
    return current && current->implementsEnsureDeliveryOfUnixSignal()
           && current->halyardEnsureDeliveryOfUnixSignal(*this, signal);
}

void Halyard::reportingControllerInternalDidDetectReportForLastExecution(const std::shared_ptr<HLYInternalReport>& report)
{
    const HLYReport wrapped(report);
    std::weak_ptr<Halyard> weak = weak_from_this();
    mainQueue()->async([weak, date = wrapped.dateCreated()] {
        if (const auto self = weak.lock())
            self->logPreviousSessionCrashed(date);
    });
}

void Halyard::reportingControllerDidDetectReportForLastExecution(const std::shared_ptr<HLYInternalReport>& report,
                                                                 std::function<void(bool)> completion)
{
    if (!reportingControllerMustInformDelegateOfReports()) {
        completion(true);
        return;
    }
    const auto current = delegate();
    auto wrapped = std::make_shared<HLYReport>(report);
    if (current->implementsDidDetectReportForLastExecution())
        current->halyardDidDetectReportForLastExecution(*wrapped, std::move(completion));
    else
        completion(true);
    std::weak_ptr<Halyard> weak = weak_from_this();
    mainQueue()->async([weak, current, wrapped] {
        const auto self = weak.lock();
        if (!self)
            return;
        if (current->implementsDidDetectCrashDuringPreviousExecutionWithReport())
            current->halyardDidDetectCrashDuringPreviousExecution(*self, *wrapped);
        if (current->implementsDidDetectCrashDuringPreviousExecution())
            current->halyardDidDetectCrashDuringPreviousExecution(*self);
    });
}

void Halyard::warnDelegateAboutMethods()
{
    const auto current = delegate();
    if (!current)
        return;
    if (current->implementsDidDetectCrashDuringPreviousExecutionWithReport()
        || current->implementsDidDetectCrashDuringPreviousExecution())
        log::always("[Halyard] The Halyard delegate '" + HLYExceptionDemangleTypeName(typeid(*current).name())
                    + "' implements deprecated methods.  Please see Halyard for details.");
    if (current->implementsCanUseBackgroundSessions() && current->halyardCanUseBackgroundSessions(*this)
        && HLYApplicationIsExtension())
        log::always("[Halyard] Background sessions are not supported in extensions. Please see Halyard for details.");
}

} // namespace qlkit
