// The kit's process-wide core: configuration, the install, execution and
// instance identifiers, and the kits it starts once.
#pragma once

#include "sdk/RIGApplicationIdentiferModel.h"
#include "sdk/RIGKit.h"
#include "sdk/foundation/Value.h"
#include "sdk/settings/RIGSettingsOnboardingManager.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class Rigging {
public:
    static Rigging& sharedSDK();
    // Starts the given kits once per process; later calls only return the core.
    // Raises KitException "RIGException" when no API key is available.
    static Rigging& with(const std::vector<std::shared_ptr<RIGKit>>& kits);
    static void startInstance(RIGKit& kit);

    std::shared_ptr<RIGKit> kitForClass(const std::string& className) const;
    std::vector<std::pair<std::string, std::shared_ptr<RIGKit>>> kitMap() const;
    void setKitMap(std::vector<std::pair<std::string, std::shared_ptr<RIGKit>>> kits);
    // Kit identifier -> version, the core's own entry included.
    Map SDKKitVersions() const;
    // "KitInfo" over the decoded "ObfuscatedKitInfo" of the kit's "Kits" entry.
    std::optional<Map> configurationDictionaryForKit(const RIGKit& kit);

    // The key set in code, else the configured one (raising when it is missing).
    std::optional<std::string> APIKey();
    void setAPIKey(std::optional<std::string> key);
    // The validated "Rigging" dictionary of the Info dictionary.
    Map SDKConfig();

    const std::string& installID() const { return m_installID; }
    bool isFirstInstall() const { return m_isFirstInstall; }
    const std::string& executionIdentifier() const { return m_executionIdentifier; }
    std::optional<std::string> instanceIdentifier() const;
    std::shared_ptr<RIGApplicationIdentiferModel> applicationIdentifierModel() const { return m_applicationIdentifierModel; }
    const std::shared_ptr<RIGSettingsOnboardingManager>& settingsAndOnboardingManager() const { return m_settingsAndOnboardingManager; }
    // The parsed server settings; nothing until a settings file was saved.
    std::optional<Value> settings() const;

    bool debug() const;
    void setDebug(bool debug);
    std::optional<std::string> advertisingToken() const;
    void setAdvertisingToken(std::optional<std::string> token);

    // The validation of an Info dictionary's "Rigging" entry; raises "RIGException".
    static Map validSDKConfigFromInfoPlist(const std::optional<Map>& info);

private:
    Rigging();
    std::string readInstallationUUID();
    std::string generateInstallationUUID();
    void onboardAppAndDownloadSettings();

    mutable std::mutex m_mutex;
    std::vector<std::pair<std::string, std::shared_ptr<RIGKit>>> m_kitMap;
    std::optional<Map> m_SDKConfig;
    std::optional<std::string> m_APIKey;
    std::optional<std::string> m_advertisingToken;
    std::string m_installID;
    bool m_isFirstInstall = false;
    std::string m_executionIdentifier;
    std::shared_ptr<RIGApplicationIdentiferModel> m_applicationIdentifierModel;
    std::shared_ptr<RIGSettingsOnboardingManager> m_settingsAndOnboardingManager;
};

} // namespace qlkit
