// Fetches the server settings at every start, caches them, and runs the
// onboarding the settings ask for; posts "RIGSettingsAvailableNotification"
// when new settings can be read.
#pragma once

#include "sdk/RIGApplicationIdentiferModel.h"
#include "sdk/foundation/Dispatch.h"
#include "sdk/settings/RIGDownloadAndSaveSettingsOperation.h"
#include "sdk/settings/RIGOnboardingOperation.h"
#include "sdk/settings/RIGSettings.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

namespace qlkit {

inline constexpr const char* kRIGSettingsAvailableNotification = "RIGSettingsAvailableNotification";

class RIGSettingsOnboardingManager final : public RIGDownloadAndSaveSettingsOperationDelegate,
                                           public RIGOnboardingOperationDelegate,
                                           public std::enable_shared_from_this<RIGSettingsOnboardingManager> {
public:
    explicit RIGSettingsOnboardingManager(std::shared_ptr<RIGApplicationIdentiferModel> model);

    void beginSettingsAndOnboardingOperationsWithAPIKey(const std::string& APIKey, const Map& kitVersions);
    void beginSettingsDownload();
    void beginOnboarding(bool shouldCreate, const std::string& endpointString);

    // The environment variable of that name, else the Info dictionary's
    // "Halyard" entry, else the default.
    static std::optional<std::string> valueForConfigurationKey(const std::string& key);
    static Map defaultConfiguration();
    std::optional<std::string> settingsURL();
    std::optional<std::string> appIconHash() const;
    std::optional<std::string> advertisingToken() const;
    // Where the advertising token comes from; the kit's core by default.
    void setAdvertisingTokenProvider(std::function<std::optional<std::string>()> provider);

    // The application's own folder in the kit's cache folder, named by its
    // bundle identifier; nothing when the identifier names no folder of its
    // own (empty, ".", "..", or with a "/"), so nothing outside it is touched.
    static std::optional<std::filesystem::path> settingsDirectoryPath();
    std::optional<std::filesystem::path> settingsPath() const;
    RIGSettings& settingsModel();

    // Entered while a download or onboarding is under way: lets callers wait
    // for the background work to settle.
    const std::shared_ptr<DispatchGroup>& activity() const { return m_activity; }

    void operationDidDownloadAndSaveSettingsWithError(RIGDownloadAndSaveSettingsOperation& operation,
                                                      const std::optional<KitError>& error) override;
    void onboardingOperationDidCompleteAppCreationWithError(RIGOnboardingOperation& operation,
                                                            const std::optional<KitError>& error) override;
    void onboardingOperationDidCompleteAppUpdateWithError(RIGOnboardingOperation& operation,
                                                          const std::optional<KitError>& error) override;
    void postSettingsDownloadCompletedNotification();

private:
    std::shared_ptr<RIGApplicationIdentiferModel> m_appIdentifierModel;
    std::mutex m_mutex;
    std::unique_ptr<RIGSettings> m_settingsModel;
    std::shared_ptr<RIGOnboardingOperation> m_onboardingOperation;
    std::atomic<bool> m_hasAttemptedAppConfigure {false};
    std::string m_APIKey;
    Map m_kitVersions;
    std::function<std::optional<std::string>()> m_advertisingTokenProvider;
    std::shared_ptr<DispatchGroup> m_activity = DispatchGroup::create();
};

} // namespace qlkit
