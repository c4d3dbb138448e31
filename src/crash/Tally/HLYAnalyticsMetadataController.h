// What every event log says about where its events come from: the
// application, the installation, this session and the host. Built once per
// session and kept as a dictionary and as JSON.
#pragma once

#include "sdk/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qlkit {

class HLYAnalyticsMetadataController {
public:
    // `timestamp` is the session's, in milliseconds; nothing when the
    // metadata cannot be written as JSON.
    static std::unique_ptr<HLYAnalyticsMetadataController> initWithTimeStamp(std::uint64_t timestamp,
                                                                            const std::optional<std::string>& betaToken);
    // The entries in their fixed order; missing values leave their key out.
    static Map metadataWithTimeStamp(std::uint64_t timestamp, const std::optional<std::string>& betaToken,
                                     const std::optional<std::string>& adToken);

    const Map& metadata() const { return m_metadata; }
    const Bytes& metadataJSONData() const { return m_metadataJSONData; }

    static std::optional<std::string> hostModel();
    static std::optional<std::string> hostMachine();
    static std::string hostLocale();
    static std::optional<std::string> hostOSVersion();
    static std::string hostOSVersionName();
    static long hostNumCores();
    static std::string hostPlatform();
    static long hostPlatformCode() { return 0; }
    // There is no vendor identifier, advertising framework or jailbreak here.
    static std::optional<std::string> hostVendorId() { return std::nullopt; }
    static bool hostJailbroken() { return false; }
    static bool advertisingSupportFrameworkLinked() { return false; }
    static bool trackingForAdvertisingEnabled() { return false; }
    static std::optional<std::string> identifierForAdvertising() { return std::nullopt; }
    static std::optional<std::string> APIKey();
    static std::string sessionIdentifier();
    static std::string installationId();
    static std::optional<std::string> instanceIdentifier();
    static std::optional<std::string> bundleIdentifier();
    static std::optional<std::string> bundleVersion();
    static std::optional<std::string> bundleShortVersion();
    // "2:<token>" gives the token; anything else gives nothing.
    static std::optional<std::string> unwrapBetaToken(const std::optional<std::string>& betaToken);

    // Sets the entry unless the value is missing.
    static void setValueInDictionary(Map& dictionary, const std::string& key, const std::optional<Value>& value);

private:
    HLYAnalyticsMetadataController(Map metadata, Bytes json);
    Map m_metadata;
    Bytes m_metadataJSONData;
};

} // namespace qlkit
