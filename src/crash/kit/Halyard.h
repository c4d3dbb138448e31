// The crash-reporting kit as the application sees it: started once with an
// API key, it keeps custom keys, logs and errors with the run, and at the
// next start processes, packages and sends the reports of earlier runs.
#pragma once

#include "crash/kit/HLYBetaController.h"
#include "crash/kit/HLYCrashReportingController.h"
#include "crash/kit/HalyardDelegate.h"
#include "crash/capture/HLYException.h"
#include "sdk/RIGKit.h"
#include "sdk/network/KitError.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class HLYAnalyticsController;
class HLYBetaController;
class HLYFileManager;
class HLYReport;

class Halyard final : public RIGKit,
                      public HLYCrashReportingControllerDelegate,
                      public HLYBetaControllerDelegate,
                      public std::enable_shared_from_this<Halyard> {
public:
    static std::shared_ptr<Halyard> sharedInstance();
    static std::shared_ptr<Halyard> startWithAPIKey(const std::string& apiKey,
                                                    std::shared_ptr<HalyardDelegate> delegate = nullptr);

    // The delay was never used: the kit starts at once, with a warning.
    static std::shared_ptr<Halyard> startWithAPIKeyAfterDelay(const std::string& apiKey, double delay,
                                                              std::shared_ptr<HalyardDelegate> delegate = nullptr);

    static std::string kitBundleIdentifier();
    static std::string kitDisplayVersion();
    static std::string kitBuildVersion();

    // RIGKit
    std::string kitClassName() const override { return "Halyard"; }
    void start() override;
    std::optional<std::string> version() const override { return kitDisplayVersion(); }
    std::optional<std::string> bundleIdentifier() const override { return kitBundleIdentifier(); }

    std::optional<std::string> APIKey() const;
    std::string installID() const;
    bool isFirstInstall() const;
    bool isHalyardStarted() const;
    bool debugMode() const;
    void setDebugMode(bool on);
    std::shared_ptr<HalyardDelegate> delegate() const;
    void setDelegate(std::shared_ptr<HalyardDelegate> delegate);
    // How the application asks its user whether to send a report.
    void setPromptPresenter(std::shared_ptr<HLYPromptPresenter> presenter);

    // Test crashes: an illegal instruction, and an uncaught C++ exception.
    [[noreturn]] static void crash();
    [[noreturn]] static void throwException();

    void setUserIdentifier(const std::optional<std::string>& value);
    void setUserName(const std::optional<std::string>& value);
    void setUserEmail(const std::optional<std::string>& value);
    void setDevelopmentPlatformName(const std::optional<std::string>& value);
    void setDevelopmentPlatformVersion(const std::optional<std::string>& value);
    std::optional<std::string> developmentPlatformName() const;
    std::optional<std::string> developmentPlatformVersion() const;

    void setObjectValue(const std::optional<Value>& value, const std::string& key);
    void setIntValue(int value, const std::string& key) { setObjectValue(Value(value), key); }
    void setBoolValue(bool value, const std::string& key) { setObjectValue(Value(value), key); }
    void setFloatValue(float value, const std::string& key) { setObjectValue(Value::fromFloat(value), key); }
    void recordError(const KitError& error, const std::optional<Map>& additionalUserInfo = std::nullopt);
    void recordCustomExceptionName(const std::string& name, const std::string& reason,
                                   const std::vector<HLYStackFrame>& frames);

    // A custom analytics event (through Tally).
    void logEvent(const std::string& name, const std::optional<Map>& attributes = std::nullopt);

    const std::shared_ptr<HLYCrashReportingController>& crashReportingController() const
    {
        return m_crashReportingController;
    }
    const std::shared_ptr<HLYBetaController>& betaController() const { return m_betaController; }
    // Nothing before the start, or where analytics is not supported.
    std::shared_ptr<HLYAnalyticsController> analyticsController() const;

    // HLYCrashReportingControllerDelegate
    std::optional<std::string> APIKeyForCrashReportingController() override { return APIKey(); }
    std::string installIDForCrashReportingController() override { return installID(); }
    bool isFirstInstallForCrashReportingController() override { return isFirstInstall(); }
    HLYSettings settingsForCrashReportingController() override;
    bool shouldInstallCrashCallback() override;
    void detectedCrash() override;
    bool reportingControllerCanUseBackgroundSessions() override;
    bool reportingControllerMustInformDelegateOfReports() override;
    bool reportingControllerEnsureDeliveryOfUnixSignal(int signal) override;
    void reportingControllerInternalDidDetectReportForLastExecution(const std::shared_ptr<HLYInternalReport>& report) override;
    void reportingControllerDidDetectReportForLastExecution(const std::shared_ptr<HLYInternalReport>& report,
                                                            std::function<void(bool submit)> completion) override;

    // HLYBetaControllerDelegate
    std::optional<std::string> APIKeyForBetaController() override { return APIKey(); }
    HLYSettings settingsForBetaController() override { return settingsForCrashReportingController(); }

    Halyard();

private:
    void warnDelegateAboutMethods();
    void recordInternal(const char* key, const std::optional<std::string>& value);
    void startAnalytics(const std::optional<std::string>& betaToken);
    void logPreviousSessionCrashed(const std::optional<Date>& date);

    mutable std::mutex m_mutex;
    std::shared_ptr<HalyardDelegate> m_delegate;
    std::shared_ptr<HLYPromptPresenter> m_promptPresenter;
    std::shared_ptr<HLYFileManager> m_fileManager;
    std::shared_ptr<HLYCrashReportingController> m_crashReportingController;
    std::shared_ptr<HLYBetaController> m_betaController;
    std::shared_ptr<HLYAnalyticsController> m_analyticsController;
    // Crashes of the previous run found before the analytics controller exists.
    std::vector<std::optional<Date>> m_pendingCrashDates;
    std::once_flag m_started;
};

} // namespace qlkit
