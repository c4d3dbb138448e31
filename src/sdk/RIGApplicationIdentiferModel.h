// Describes the running build once per launch: identifiers, the executable's
// per-architecture build identifiers, SDK versions and the icon.
#pragma once

#include "sdk/RIGIcon.h"
#include "sdk/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qlkit {

struct RIGVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t bugfix = 0;
};

class RIGApplicationIdentiferModel {
public:
    // Nothing when the running executable cannot be read.
    static std::shared_ptr<RIGApplicationIdentiferModel> initWithInstallID(const std::string& installID);
    // The same over another executable file (tests, tools).
    static std::shared_ptr<RIGApplicationIdentiferModel> initWithInstallID(const std::string& installID,
                                                                           const std::string& executablePath);

    // Architecture name -> build identifier in lower-case hexadecimal.
    const Map& architectureUUIDMap() const { return m_architectureUUIDMap; }
    const std::string& installID() const { return m_installID; }
    const std::optional<RIGIcon>& icon() const { return m_icon; }
    const std::optional<std::string>& bundleIdentifier() const { return m_bundleIdentifier; }
    const std::string& instanceIdentifier() const { return m_instanceIdentifier; }
    RIGVersion builtSDK() const { return m_builtSDK; }
    RIGVersion minimumSDK() const { return m_minimumSDK; }
    std::string builtSDKString() const;
    std::string minimumSDKString() const;

    bool computeExecutableInfo(const std::string& executablePath);
    bool computeInstanceIdentifier();

    // The instance identifier of a set of identifiers: SHA-1 over the values
    // concatenated in the order of their sorted architecture names.
    static std::string instanceIdentifierForMap(const Map& architectureUUIDMap);

private:
    Map m_architectureUUIDMap;
    std::string m_installID;
    std::optional<RIGIcon> m_icon;
    std::optional<std::string> m_bundleIdentifier;
    std::string m_instanceIdentifier;
    // ELF executables carry no SDK version records; both stay zero.
    RIGVersion m_builtSDK;
    RIGVersion m_minimumSDK;
};

} // namespace qlkit
