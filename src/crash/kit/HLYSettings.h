// The crash reporter's view of its configuration: endpoints and switches from
// the environment, then the Info dictionary's "Halyard" entry, then defaults;
// server settings from the downloaded settings dictionary, each with a
// default when absent.
#pragma once

#include "sdk/foundation/Value.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qlkit {

// Looks a key up in the application's string table of that name; nothing
// when it has no entry. Without a provider every text is its fallback.
using HLYLocalizedStringProvider = std::function<std::optional<std::string>(const std::string& key, const std::string& table)>;
void HLYSetLocalizedStringProvider(HLYLocalizedStringProvider provider);
std::string HLYLocalizedString(const std::string& key, const std::string& fallback);

// Text or number read as a switch: numbers by their value, text by its first
// character ("Y", "y", "T", "t" or a digit 1-9, after blanks, a sign and zeros).
bool HLYBoolValue(const Value& value);
std::uint32_t HLYUnsignedIntValue(const Value& value);

inline constexpr const char* kHLYDefaultReportsEndpoint = "https://reports.crash.quiverleaf.org";
inline constexpr const char* kHLYDefaultBetaEndpoint = "https://api.crash.quiverleaf.org";

class HLYSettings {
public:
    explicit HLYSettings(std::optional<Value> settingsDictionary) : m_settingsDictionary(std::move(settingsDictionary)) {}

    const std::optional<Value>& settingsDictionary() const { return m_settingsDictionary; }

    static std::optional<Map> configuration();
    static Map defaultConfiguration();
    static std::optional<Value> valueForConfigurationKey(const std::string& key);

    std::string reportsEndpoint() const;
    std::string betaEndpoint() const;
    bool shouldPackageReports() const;
    bool shouldSubmitReports() const;
    bool canProcessUrgentReports() const;

    bool crashReportingEnabled() const;
    bool errorReportingEnabled() const;
    bool customExceptionsEnabled() const { return errorReportingEnabled(); }
    bool userPromptEnabled() const;
    std::uint32_t logBufferSize() const;
    std::uint32_t errorLogBufferSize() const { return logBufferSize(); }
    std::uint32_t maxCustomExceptions() const;
    std::uint32_t maxCustomKeys() const;
    double betaSuspendDuration() const;

    std::string promptValueForSettingsKey(const std::string& key, const std::string& localizedKey,
                                          const std::string& defaultValue) const;
    std::string interactivePromptTitle() const;
    std::string interactivePromptMessage() const;
    std::string interactivePromptCancelTitle() const;
    std::string interactivePromptSendTitle() const;
    std::string interactivePromptAlwaysSendTitle() const;

private:
    const Value* server(const char* object, const char* key) const;
    bool configurationSwitch(const std::string& key) const;
    std::string configurationText(const std::string& key) const;

    std::optional<Value> m_settingsDictionary;
};

} // namespace qlkit
