// The cached server settings: a JSON document read lazily from its file.
#pragma once

#include "sdk/foundation/Value.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

namespace qlkit {

class RIGSettings {
public:
    // No service sends settings this large: a longer answer or file is taken
    // as damaged rather than held in memory.
    static constexpr std::size_t kMaximumSettingsLength = 4u << 20;

    explicit RIGSettings(std::filesystem::path settingsPath) : m_settingsPath(std::move(settingsPath)) {}

    // The parsed document; nothing while there is no file. A file that does
    // not parse (or is too long to be settings) is logged and deleted.
    std::optional<Value> settingsDictionary();
    void clearSettingsDictionary();

    // "app" of the document; nothing when absent, null or not an object.
    std::optional<Map> appSettings();
    std::optional<std::string> appStatus();
    bool appNeedsOnboarding();
    bool appUpdateRequired();

    static std::optional<std::string> appBundleIdentifier();
    static std::string appPlatform();
    static std::optional<std::string> appBuildVersion();
    static std::optional<std::string> appDisplayVersion();
    static int appSource();

    std::optional<std::string> settingsURLForEndpoint(const std::string& endpoint,
                                                      const std::optional<std::string>& appInstanceIdentifer,
                                                      const std::optional<std::string>& appIconHash) const;
    const std::filesystem::path& settingsPath() const { return m_settingsPath; }

private:
    std::filesystem::path m_settingsPath;
    std::mutex m_mutex;
    std::optional<Value> m_settingsDictionary;
};

} // namespace qlkit
