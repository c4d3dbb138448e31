#include "sdk/settings/RIGSettingsOnboardingManager.h"

#include "sdk/KitConstants.h"
#include "sdk/Rigging.h"
#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/Log.h"
#include "sdk/foundation/NotificationCenter.h"
#include "sdk/foundation/Paths.h"

#include <cstdlib>

namespace qlkit {

RIGSettingsOnboardingManager::RIGSettingsOnboardingManager(std::shared_ptr<RIGApplicationIdentiferModel> model)
    : m_appIdentifierModel(std::move(model))
    , m_advertisingTokenProvider([] { return Rigging::sharedSDK().advertisingToken(); })
{
}

void RIGSettingsOnboardingManager::beginSettingsAndOnboardingOperationsWithAPIKey(const std::string& APIKey,
                                                                                  const Map& kitVersions)
{
    {
        std::lock_guard lock(m_mutex);
        m_APIKey = APIKey;
        m_kitVersions = kitVersions;
    }
    beginSettingsDownload();
}

void RIGSettingsOnboardingManager::beginSettingsDownload()
{
    const auto directory = settingsDirectoryPath();
    if (!directory) {
        log::always("[Rigging] failed to download settings: the application has no usable bundle identifier");
        return;
    }
    const auto url = settingsURL();
    if (!url) {
        log::always("[Rigging] failed to download settings: no valid settings URL");
        return;
    }
    std::string APIKey;
    {
        std::lock_guard lock(m_mutex);
        APIKey = m_APIKey;
    }
    auto operation = std::make_shared<RIGDownloadAndSaveSettingsOperation>(
        APIKey, weak_from_this(), *url, *directory, *directory / "settings.json",
        m_appIdentifierModel ? std::optional<std::string>(m_appIdentifierModel->installID()) : std::nullopt,
        advertisingToken());
    m_activity->enter();
    operation->start();
}

void RIGSettingsOnboardingManager::beginOnboarding(bool shouldCreate, const std::string& endpointString)
{
    std::shared_ptr<RIGOnboardingOperation> operation;
    {
        std::lock_guard lock(m_mutex);
        if (m_onboardingOperation)
            m_onboardingOperation->cancel();
        operation = std::make_shared<RIGOnboardingOperation>(weak_from_this(), shouldCreate, m_APIKey, m_kitVersions,
                                                             m_appIdentifierModel, endpointString);
        m_onboardingOperation = operation;
    }
    m_activity->enter();
    operation->start();
}

std::optional<std::string> RIGSettingsOnboardingManager::valueForConfigurationKey(const std::string& key)
{
    if (const char* value = std::getenv(key.c_str()))
        return std::string(value);
    if (auto halyard = info::mainInfoValue("Halyard"); halyard && halyard->asMap())
        if (const Value* value = halyard->asMap()->find(key); value && value->asString())
            return *value->asString();
    if (const Value* value = defaultConfiguration().find(key); value && value->asString())
        return *value->asString();
    return std::nullopt;
}

Map RIGSettingsOnboardingManager::defaultConfiguration()
{
    return Map {{"SettingsEndpoint", "https://settings.crash.quiverleaf.org"},
                {"ConfigureEndpoint", "https://api.crash.quiverleaf.org"}};
}

std::optional<std::string> RIGSettingsOnboardingManager::settingsURL()
{
    const auto endpoint = valueForConfigurationKey("SettingsEndpoint");
    if (!endpoint)
        return std::nullopt;
    return settingsModel().settingsURLForEndpoint(
        *endpoint, m_appIdentifierModel ? std::optional<std::string>(m_appIdentifierModel->instanceIdentifier()) : std::nullopt,
        appIconHash());
}

std::optional<std::string> RIGSettingsOnboardingManager::appIconHash() const
{
    if (!m_appIdentifierModel || !m_appIdentifierModel->icon())
        return std::nullopt;
    return m_appIdentifierModel->icon()->dataHash();
}

std::optional<std::string> RIGSettingsOnboardingManager::advertisingToken() const { return m_advertisingTokenProvider(); }

void RIGSettingsOnboardingManager::setAdvertisingTokenProvider(std::function<std::optional<std::string>()> provider)
{
    m_advertisingTokenProvider = std::move(provider);
}

std::optional<std::filesystem::path> RIGSettingsOnboardingManager::settingsDirectoryPath()
{
    // The bundle identifier unchanged here, unlike in URLs. Every download
    // empties this folder, so it must be the application's own.
    const auto identifier = info::mainInfoValue("CFBundleIdentifier");
    const std::string* bundle = identifier ? identifier->asString() : nullptr;
    if (!bundle || bundle->empty() || *bundle == "." || *bundle == ".."
        || bundle->find_first_of(std::string_view("/\0", 2)) != std::string::npos)
        return std::nullopt;
    return paths::cachesDirectory() / (std::string(kKitIdentifier) + ".data") / *bundle;
}

std::optional<std::filesystem::path> RIGSettingsOnboardingManager::settingsPath() const
{
    const auto directory = settingsDirectoryPath();
    return directory ? std::optional(*directory / "settings.json") : std::nullopt;
}

RIGSettings& RIGSettingsOnboardingManager::settingsModel()
{
    std::lock_guard lock(m_mutex);
    if (!m_settingsModel)
        m_settingsModel = std::make_unique<RIGSettings>(settingsPath().value_or(std::filesystem::path()));
    return *m_settingsModel;
}

void RIGSettingsOnboardingManager::operationDidDownloadAndSaveSettingsWithError(RIGDownloadAndSaveSettingsOperation&,
                                                                                const std::optional<KitError>& error)
{
    struct Leave {
        std::shared_ptr<DispatchGroup> group;
        ~Leave() { group->leave(); }
    } leave {m_activity};
    if (error) {
        log::always("[Rigging] failed to download settings " + error->describe());
        return;
    }
    log::debugOnly("[Rigging] settings downloaded succesfully");
    RIGSettings& settings = settingsModel();
    settings.clearSettingsDictionary();
    if (m_hasAttemptedAppConfigure) {
        log::debugOnly("[Rigging] App already onboarded in this run of the app");
    } else if (settings.appNeedsOnboarding()) {
        log::debugOnly("[Rigging] Starting onboarding with app create");
        m_hasAttemptedAppConfigure = true;
        beginOnboarding(true, valueForConfigurationKey("ConfigureEndpoint").value_or(""));
        return;
    } else if (settings.appUpdateRequired()) {
        log::debugOnly("[Rigging] Starting onboarding with app update");
        m_hasAttemptedAppConfigure = true;
        beginOnboarding(false, valueForConfigurationKey("ConfigureEndpoint").value_or(""));
    }
    postSettingsDownloadCompletedNotification();
}

void RIGSettingsOnboardingManager::onboardingOperationDidCompleteAppCreationWithError(RIGOnboardingOperation&,
                                                                                      const std::optional<KitError>& error)
{
    if (error) {
        log::always("[Rigging] unable to complete application configure: " + error->describe());
    } else {
        {
            std::lock_guard lock(m_mutex);
            m_onboardingOperation.reset();
        }
        log::debugOnly("[Rigging] completed configure");
        beginSettingsDownload();
    }
    m_activity->leave();
}

void RIGSettingsOnboardingManager::onboardingOperationDidCompleteAppUpdateWithError(RIGOnboardingOperation&,
                                                                                    const std::optional<KitError>& error)
{
    if (error) {
        log::always("[Rigging] unable to complete application update: " + error->describe());
    } else {
        {
            std::lock_guard lock(m_mutex);
            m_onboardingOperation.reset();
        }
        log::debugOnly("[Rigging] completed application update");
    }
    m_activity->leave();
}

void RIGSettingsOnboardingManager::postSettingsDownloadCompletedNotification()
{
    log::debugOnly("[Rigging] Settings are available for consumption");
    NotificationCenter::defaultCenter().post(kRIGSettingsAvailableNotification);
}

} // namespace qlkit
