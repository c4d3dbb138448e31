#include "sdk/Rigging.h"

#include "sdk/HLYUserDefaults.h"
#include "sdk/KitConstants.h"
#include "sdk/KitException.h"
#include "sdk/RIGObfuscator.h"
#include "sdk/TextForms.h"
#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/Log.h"

#include <algorithm>
#include <cctype>

namespace qlkit {
namespace {

constexpr const char* kClassName = "Rigging";
constexpr const char* kConfigKey = "Rigging";

std::string versionsText(const Map& versions)
{
    std::string text = "{";
    for (const auto& [key, value] : versions)
        text += (text.size() > 1 ? ", " : " ") + key + " = " + value.description();
    return text + " }";
}

} // namespace

Rigging& Rigging::sharedSDK()
{
    // Lives for the process; kits read it from any thread until exit.
    static Rigging* instance = new Rigging;
    return *instance;
}

Rigging::Rigging()
{
    m_installID = readInstallationUUID();
    if (m_installID.empty()) {
        m_isFirstInstall = true;
        m_installID = generateInstallationUUID();
    }
    std::string execution = RIGGenerateUUIDString();
    execution.erase(std::remove(execution.begin(), execution.end(), '-'), execution.end());
    std::transform(execution.begin(), execution.end(), execution.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    m_executionIdentifier = execution;
    m_applicationIdentifierModel = RIGApplicationIdentiferModel::initWithInstallID(m_installID);
    m_settingsAndOnboardingManager = std::make_shared<RIGSettingsOnboardingManager>(m_applicationIdentifierModel);
}

std::string Rigging::readInstallationUUID()
{
    return HLYUserDefaults::standardUserDefaults().stringForKey(kInstallUUIDKey).value_or("");
}

std::string Rigging::generateInstallationUUID()
{
    const std::string uuid = RIGGenerateUUIDString();
    auto& defaults = HLYUserDefaults::standardUserDefaults();
    defaults.setString(uuid, kInstallUUIDKey);
    defaults.synchronize();
    return uuid;
}

Rigging& Rigging::with(const std::vector<std::shared_ptr<RIGKit>>& kits)
{
    static std::once_flag once;
    Rigging& sdk = sharedSDK();
    std::call_once(once, [&] {
        if (!sdk.APIKey())
            return;
        std::vector<std::pair<std::string, std::shared_ptr<RIGKit>>> map;
        for (const auto& kit : kits) {
            if (!kit)
                continue;
            startInstance(*kit);
            const std::string name = kit->kitClassName();
            auto existing = std::find_if(map.begin(), map.end(), [&](const auto& entry) { return entry.first == name; });
            if (existing != map.end())
                existing->second = kit;
            else
                map.emplace_back(name, kit);
        }
        sdk.setKitMap(std::move(map));
        log::debugOnly("[Rigging] Initialized with kit versions: " + versionsText(sdk.SDKKitVersions()));
        sdk.onboardAppAndDownloadSettings();
    });
    return sdk;
}

void Rigging::startInstance(RIGKit& kit) { kit.start(); }

void Rigging::onboardAppAndDownloadSettings()
{
    m_settingsAndOnboardingManager->beginSettingsAndOnboardingOperationsWithAPIKey(APIKey().value_or(""), SDKKitVersions());
}

std::optional<Value> Rigging::settings() const
{
    return m_settingsAndOnboardingManager->settingsModel().settingsDictionary();
}

std::shared_ptr<RIGKit> Rigging::kitForClass(const std::string& className) const
{
    std::lock_guard lock(m_mutex);
    for (const auto& [name, kit] : m_kitMap)
        if (name == className)
            return kit;
    return nullptr;
}

std::vector<std::pair<std::string, std::shared_ptr<RIGKit>>> Rigging::kitMap() const
{
    std::lock_guard lock(m_mutex);
    return m_kitMap;
}

void Rigging::setKitMap(std::vector<std::pair<std::string, std::shared_ptr<RIGKit>>> kits)
{
    std::lock_guard lock(m_mutex);
    m_kitMap = std::move(kits);
}

Map Rigging::SDKKitVersions() const
{
    Map versions;
    for (const auto& [name, kit] : kitMap())
        versions.set(kit->bundleIdentifier().value_or(name), Value(kit->version().value_or("???")));
    versions.set(kKitIdentifier, Value(kKitDisplayVersion));
    return versions;
}

Map Rigging::validSDKConfigFromInfoPlist(const std::optional<Map>& info)
{
    if (!info)
        throw KitException("RIGException", std::string("[") + kClassName + "] Cannot find Info.plist.");
    const Value* config = info->find(kConfigKey);
    if (!config || !config->asMap())
        throw KitException("RIGException", std::string("[") + kClassName + "] Value of Info.plist key \"" + kConfigKey
                                               + "\" must be a NSDictionary.");
    const Value* kits = config->asMap()->find("Kits");
    if (!kits || !kits->asArray())
        log::always(std::string("[Rigging] [") + kClassName + "] Value of Info.plist[" + kConfigKey
                    + "][Kits] should be a NSArray.");
    const Value* key = config->asMap()->find("APIKey");
    if (!key || !key->asString())
        throw KitException("RIGException", std::string("[") + kClassName + "] Value of Info.plist[" + kConfigKey
                                               + "][APIKey] must contain your " + kClassName + " API Key.");
    return *config->asMap();
}

Map Rigging::SDKConfig()
{
    std::lock_guard lock(m_mutex);
    if (!m_SDKConfig)
        m_SDKConfig = validSDKConfigFromInfoPlist(info::mainInfoDictionary());
    return *m_SDKConfig;
}

std::optional<std::string> Rigging::APIKey()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_APIKey)
            return m_APIKey;
    }
    const Map config = SDKConfig();
    std::lock_guard lock(m_mutex);
    if (!m_APIKey)
        m_APIKey = *config.find("APIKey")->asString();
    return m_APIKey;
}

void Rigging::setAPIKey(std::optional<std::string> key)
{
    std::lock_guard lock(m_mutex);
    m_APIKey = std::move(key);
}

std::optional<Map> Rigging::configurationDictionaryForKit(const RIGKit& kit)
{
    const Map config = SDKConfig();
    const Value* kits = config.find("Kits");
    // "Kits" that is not a list was warned about; it then configures no kit.
    if (!kits || !kits->asArray())
        return std::nullopt;
    const std::string name = kit.kitClassName();
    for (const Value& entry : *kits->asArray()) {
        const Map* fields = entry.asMap();
        const Value* kitName = fields ? fields->find("KitName") : nullptr;
        if (!kitName || !kitName->asString() || *kitName->asString() != name)
            continue;
        Map result;
        if (const Value* obfuscated = fields->find("ObfuscatedKitInfo")) {
            std::optional<std::string> data;
            if (auto bytes = obfuscated->asBytes())
                data = std::string(bytes->begin(), bytes->end());
            else if (auto text = obfuscated->asString())
                data = *text;
            result = RIGObfuscator::dictionaryWithObfuscatedData(data);
        }
        if (const Value* plain = fields->find("KitInfo"); plain && plain->asMap())
            for (const auto& [key, value] : *plain->asMap())
                result.set(key, value);
        return result;
    }
    return std::nullopt;
}

std::optional<std::string> Rigging::instanceIdentifier() const
{
    if (!m_applicationIdentifierModel)
        return std::nullopt;
    return m_applicationIdentifierModel->instanceIdentifier();
}

bool Rigging::debug() const { return log::debug(); }

void Rigging::setDebug(bool debug) { log::setDebug(debug); }

std::optional<std::string> Rigging::advertisingToken() const
{
    std::lock_guard lock(m_mutex);
    return m_advertisingToken;
}

void Rigging::setAdvertisingToken(std::optional<std::string> token)
{
    std::lock_guard lock(m_mutex);
    m_advertisingToken = std::move(token);
}

} // namespace qlkit
