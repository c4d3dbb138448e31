#include "sdk/settings/RIGSettings.h"

#include "sdk/ApplicationInfo.h"
#include "sdk/KitConstants.h"
#include "sdk/RIGURLBuilder.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Json.h"
#include "sdk/foundation/Log.h"

namespace qlkit {

std::optional<Value> RIGSettings::settingsDictionary()
{
    std::lock_guard lock(m_mutex);
    if (m_settingsDictionary)
        return m_settingsDictionary;
    bool tooLong = false;
    const auto contents = files::readFile(m_settingsPath, kMaximumSettingsLength, &tooLong);
    if (!contents && !tooLong)
        return std::nullopt;
    auto parsed = contents ? json::parse(*contents)
                           : json::ParseResult {std::nullopt, "the file is longer than "
                                                                  + std::to_string(kMaximumSettingsLength) + " bytes"};
    if (!parsed.value) {
        log::always("[Rigging] Could not load settings with error: " + parsed.error);
        files::removeItem(m_settingsPath);
        return std::nullopt;
    }
    m_settingsDictionary = std::move(parsed.value);
    return m_settingsDictionary;
}

void RIGSettings::clearSettingsDictionary()
{
    std::lock_guard lock(m_mutex);
    m_settingsDictionary.reset();
}

std::optional<Map> RIGSettings::appSettings()
{
    const auto document = settingsDictionary();
    // A document that is not an object has no "app".
    if (!document || !document->asMap())
        return std::nullopt;
    const Value* app = document->asMap()->find("app");
    if (!app || !app->asMap())
        return std::nullopt;
    return *app->asMap();
}

std::optional<std::string> RIGSettings::appStatus()
{
    const auto app = appSettings();
    const Value* status = app ? app->find("status") : nullptr;
    if (!status || !status->asString())
        return std::nullopt;
    return *status->asString();
}

bool RIGSettings::appNeedsOnboarding() { return appStatus() == "new"; }

bool RIGSettings::appUpdateRequired()
{
    const auto app = appSettings();
    const Value* required = app ? app->find("update_required") : nullptr;
    return required && required->boolValue();
}

std::optional<std::string> RIGSettings::appBundleIdentifier() { return RIGApplicationBundleIdentifier(); }

std::string RIGSettings::appPlatform() { return kPlatformName; }

std::optional<std::string> RIGSettings::appBuildVersion() { return RIGApplicationBuildVersion(); }

std::optional<std::string> RIGSettings::appDisplayVersion() { return RIGApplicationDisplayVersion(); }

int RIGSettings::appSource() { return RIGApplicationInstallSource(); }

namespace {

Value optionalValue(const std::optional<std::string>& text) { return text ? Value(*text) : Value(); }

} // namespace

std::optional<std::string> RIGSettings::settingsURLForEndpoint(const std::string& endpoint,
                                                               const std::optional<std::string>& appInstanceIdentifer,
                                                               const std::optional<std::string>& appIconHash) const
{
    auto builder = RIGURLBuilder::URLWithBase(endpoint);
    builder.appendComponent("/spi/v2/platforms/");
    builder.escapeAndAppendComponent(appPlatform());
    builder.appendComponent("/apps/");
    builder.escapeAndAppendComponent(appBundleIdentifier().value_or(""));
    builder.appendComponent("/settings");
    builder.appendValue(optionalValue(appBuildVersion()), "build_version");
    builder.appendValue(optionalValue(appDisplayVersion()), "display_version");
    builder.appendValue(optionalValue(appInstanceIdentifer), "instance");
    builder.appendValue(optionalValue(appIconHash), "icon_hash");
    builder.appendValue(Value(appSource()), "source");
    return builder.URL();
}

} // namespace qlkit
