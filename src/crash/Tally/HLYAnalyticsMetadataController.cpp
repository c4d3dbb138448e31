#include "crash/Tally/HLYAnalyticsMetadataController.h"

#include "crash/HalyardConstants.h"
#include "sdk/ApplicationInfo.h"
#include "sdk/HostInfo.h"
#include "sdk/KitConstants.h"
#include "sdk/Rigging.h"
#include "sdk/foundation/Json.h"
#include "sdk/foundation/Log.h"
#include "sdk/network/RIGNetworkOperation.h"

#include <unistd.h>

namespace qlkit {
namespace {

std::optional<Value> text(const std::optional<std::string>& value)
{
    return value ? std::optional<Value>(Value(*value)) : std::nullopt;
}

} // namespace

HLYAnalyticsMetadataController::HLYAnalyticsMetadataController(Map metadata, Bytes json)
    : m_metadata(std::move(metadata)), m_metadataJSONData(std::move(json))
{
}

std::unique_ptr<HLYAnalyticsMetadataController>
HLYAnalyticsMetadataController::initWithTimeStamp(std::uint64_t timestamp, const std::optional<std::string>& betaToken)
{
    const auto adToken = identifierForAdvertising();
    Rigging::sharedSDK().setAdvertisingToken(adToken);
    Map metadata = metadataWithTimeStamp(timestamp, betaToken, adToken);
    if (!json::isValidJSONObject(Value(metadata))) {
        log::debugOnly("[Halyard:Tally] Unable to JSON-encode metadata {error: a value JSON cannot carry}");
        return nullptr;
    }
    const std::string encoded = json::serialize(Value(metadata));
    return std::unique_ptr<HLYAnalyticsMetadataController>(
        new HLYAnalyticsMetadataController(std::move(metadata), Bytes(encoded.begin(), encoded.end())));
}

Map HLYAnalyticsMetadataController::metadataWithTimeStamp(std::uint64_t timestamp,
                                                          const std::optional<std::string>& betaToken,
                                                          const std::optional<std::string>& adToken)
{
    Map metadata;
    setValueInDictionary(metadata, "generator", Value(kHalyardGenerator));
    setValueInDictionary(metadata, "links_ad_support", Value(advertisingSupportFrameworkLinked()));
    setValueInDictionary(metadata, "advertising_tracking_enabled", Value(trackingForAdvertisingEnabled()));
    setValueInDictionary(metadata, "advertising_id", text(adToken));
    setValueInDictionary(metadata, "api_key", text(APIKey()));
    setValueInDictionary(metadata, "session_id", Value(sessionIdentifier()));
    setValueInDictionary(metadata, "started_at", Value(timestamp / 1000));
    setValueInDictionary(metadata, "vendor_id", text(hostVendorId()));
    setValueInDictionary(metadata, "install_id", Value(installationId()));
    setValueInDictionary(metadata, "beta_tester_token", text(unwrapBetaToken(betaToken)));
    setValueInDictionary(metadata, "model", text(hostModel()));
    setValueInDictionary(metadata, "machine", text(hostMachine()));
    setValueInDictionary(metadata, "locale", Value(hostLocale()));
    setValueInDictionary(metadata, "os_build", text(hostOSVersion()));
    setValueInDictionary(metadata, "os_version", Value(hostOSVersionName()));
    setValueInDictionary(metadata, "platform", Value(hostPlatform()));
    setValueInDictionary(metadata, "platform_code", Value(hostPlatformCode()));
    setValueInDictionary(metadata, "cores", Value(hostNumCores()));
    setValueInDictionary(metadata, "jailbroken", Value(hostJailbroken()));
    setValueInDictionary(metadata, "bundle_id", text(bundleIdentifier()));
    setValueInDictionary(metadata, "bundle_version", text(bundleVersion()));
    setValueInDictionary(metadata, "bundle_short_version", text(bundleShortVersion()));
    setValueInDictionary(metadata, "instance_id", text(instanceIdentifier()));
    return metadata;
}

void HLYAnalyticsMetadataController::setValueInDictionary(Map& dictionary, const std::string& key,
                                                          const std::optional<Value>& value)
{
    if (value && !value->isNull())
        dictionary.set(key, *value);
}

std::optional<std::string> HLYAnalyticsMetadataController::hostModel() { return RIGHostModel(); }

// The same model text: the metadata carries no separate machine name.
std::optional<std::string> HLYAnalyticsMetadataController::hostMachine() { return RIGHostModel(); }

std::string HLYAnalyticsMetadataController::hostLocale() { return RIGNetworkOperation::localeIdentifier(); }

std::optional<std::string> HLYAnalyticsMetadataController::hostOSVersion() { return RIGHostOSBuildVersion(); }

std::string HLYAnalyticsMetadataController::hostOSVersionName()
{
    const auto version = RIGOperatingSystemVersion();
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." + std::to_string(version.patch);
}

long HLYAnalyticsMetadataController::hostNumCores() { return sysconf(_SC_NPROCESSORS_CONF); }

std::string HLYAnalyticsMetadataController::hostPlatform() { return kPlatformName; }

std::optional<std::string> HLYAnalyticsMetadataController::APIKey()
{
    try {
        return Rigging::sharedSDK().APIKey();
    } catch (...) {
        return std::nullopt; // no key configured: the entry is left out
    }
}

std::string HLYAnalyticsMetadataController::sessionIdentifier() { return Rigging::sharedSDK().executionIdentifier(); }

std::string HLYAnalyticsMetadataController::installationId() { return Rigging::sharedSDK().installID(); }

std::optional<std::string> HLYAnalyticsMetadataController::instanceIdentifier()
{
    return Rigging::sharedSDK().instanceIdentifier();
}

std::optional<std::string> HLYAnalyticsMetadataController::bundleIdentifier() { return RIGApplicationBundleIdentifier(); }

std::optional<std::string> HLYAnalyticsMetadataController::bundleVersion() { return RIGApplicationBuildVersion(); }

std::optional<std::string> HLYAnalyticsMetadataController::bundleShortVersion() { return RIGApplicationDisplayVersion(); }

std::optional<std::string> HLYAnalyticsMetadataController::unwrapBetaToken(const std::optional<std::string>& betaToken)
{
    if (!betaToken)
        return std::nullopt;
    const auto colon = betaToken->find(':');
    if (colon == std::string::npos || betaToken->find(':', colon + 1) != std::string::npos)
        return std::nullopt;
    if (betaToken->substr(0, colon) != "2")
        return std::nullopt;
    return betaToken->substr(colon + 1);
}

} // namespace qlkit
