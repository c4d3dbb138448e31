#include "crash/kit/HLYSettings.h"

#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/Log.h"

#include <cctype>
#include <cstdlib>
#include <mutex>

namespace qlkit {
namespace {

constexpr const char* kStringTable = "Halyard";

std::mutex g_providerMutex;
HLYLocalizedStringProvider g_provider;

} // namespace

void HLYSetLocalizedStringProvider(HLYLocalizedStringProvider provider)
{
    std::lock_guard lock(g_providerMutex);
    g_provider = std::move(provider);
}

std::string HLYLocalizedString(const std::string& key, const std::string& fallback)
{
    HLYLocalizedStringProvider provider;
    {
        std::lock_guard lock(g_providerMutex);
        provider = g_provider;
    }
    if (provider)
        if (auto text = provider(key, kStringTable))
            return *text;
    return fallback;
}

bool HLYBoolValue(const Value& value)
{
    if (value.isNumber())
        return value.boolValue();
    const std::string* text = value.asString();
    if (!text)
        return false;
    std::size_t i = 0;
    while (i < text->size() && std::isspace(static_cast<unsigned char>((*text)[i])))
        ++i;
    if (i < text->size() && ((*text)[i] == '+' || (*text)[i] == '-'))
        ++i;
    while (i < text->size() && (*text)[i] == '0')
        ++i;
    if (i >= text->size())
        return false;
    const char c = (*text)[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

std::uint32_t HLYUnsignedIntValue(const Value& value)
{
    if (const auto number = value.numberValue())
        return std::uint32_t(std::int64_t(*number));
    if (const std::string* text = value.asString())
        return std::uint32_t(std::strtoll(text->c_str(), nullptr, 10));
    return 0;
}

std::optional<Map> HLYSettings::configuration()
{
    const auto entry = info::mainInfoValue("Halyard");
    if (entry && entry->asMap())
        return *entry->asMap();
    return std::nullopt;
}

Map HLYSettings::defaultConfiguration()
{
    return Map {{"ReportsEndpoint", kHLYDefaultReportsEndpoint},
                {"BetaEndpoint", kHLYDefaultBetaEndpoint},
                {"PackageReports", true},
                {"SubmitReports", true},
                {"UrgentReports", true}};
}

std::optional<Value> HLYSettings::valueForConfigurationKey(const std::string& key)
{
    const std::string variable = "Halyard" + key;
    if (const char* text = std::getenv(variable.c_str())) {
        log::always("[Halyard:Crash] override: '" + key + "' => '" + text + "'");
        return Value(text);
    }
    if (const auto config = configuration())
        if (const Value* value = config->find(key))
            return *value;
    const Map defaults = defaultConfiguration();
    if (const Value* value = defaults.find(key))
        return *value;
    return std::nullopt;
}

std::string HLYSettings::configurationText(const std::string& key) const
{
    const auto value = valueForConfigurationKey(key);
    return value ? value->description() : std::string();
}

bool HLYSettings::configurationSwitch(const std::string& key) const
{
    const auto value = valueForConfigurationKey(key);
    return value && HLYBoolValue(*value);
}

std::string HLYSettings::reportsEndpoint() const { return configurationText("ReportsEndpoint"); }
std::string HLYSettings::betaEndpoint() const { return configurationText("BetaEndpoint"); }
bool HLYSettings::shouldPackageReports() const { return configurationSwitch("PackageReports"); }
bool HLYSettings::shouldSubmitReports() const { return configurationSwitch("SubmitReports"); }
bool HLYSettings::canProcessUrgentReports() const { return configurationSwitch("UrgentReports"); }

const Value* HLYSettings::server(const char* object, const char* key) const
{
    const Map* root = m_settingsDictionary ? m_settingsDictionary->asMap() : nullptr;
    const Value* section = root ? root->find(object) : nullptr;
    const Map* map = section ? section->asMap() : nullptr;
    return map ? map->find(key) : nullptr;
}

bool HLYSettings::crashReportingEnabled() const
{
    const Value* value = server("features", "collect_reports");
    return value ? HLYBoolValue(*value) : true;
}

bool HLYSettings::errorReportingEnabled() const
{
    const Value* value = server("features", "collect_logged_exceptions");
    return value ? HLYBoolValue(*value) : true;
}

bool HLYSettings::userPromptEnabled() const
{
    const Value* value = server("features", "prompt_enabled");
    return value && HLYBoolValue(*value);
}

std::uint32_t HLYSettings::logBufferSize() const
{
    const Value* value = server("session", "log_buffer_size");
    return value ? HLYUnsignedIntValue(*value) : 65536;
}

std::uint32_t HLYSettings::maxCustomExceptions() const
{
    const Value* value = server("session", "max_custom_exception_events");
    return value ? HLYUnsignedIntValue(*value) : 16;
}

std::uint32_t HLYSettings::maxCustomKeys() const
{
    const Value* value = server("session", "max_custom_key_value_pairs");
    return value ? HLYUnsignedIntValue(*value) : 16;
}

double HLYSettings::betaSuspendDuration() const
{
    const Value* value = server("beta", "update_suspend_duration");
    const auto number = value ? value->numberValue() : std::nullopt;
    return number ? *number : 3600.0;
}

std::string HLYSettings::promptValueForSettingsKey(const std::string& key, const std::string& localizedKey,
                                                   const std::string& defaultValue) const
{
    const Value* value = server("prompt", key.c_str());
    const std::string fallback = value && value->asString() ? *value->asString() : defaultValue;
    return HLYLocalizedString(localizedKey, fallback);
}

std::string HLYSettings::interactivePromptTitle() const
{
    return promptValueForSettingsKey("title", "HalyardCrashSubmissionPromptTitle", "Send Crash Report?");
}

std::string HLYSettings::interactivePromptMessage() const
{
    return promptValueForSettingsKey("message", "HalyardCrashSubmissionPromptMessage",
                                     "Looks like we crashed! Please help us fix the problem by sending a crash report.");
}

std::string HLYSettings::interactivePromptCancelTitle() const
{
    return promptValueForSettingsKey("cancel_button_title", "HalyardCrashSubmissionCancelTitle", "Don't Send");
}

std::string HLYSettings::interactivePromptSendTitle() const
{
    return promptValueForSettingsKey("send_button_title", "HalyardCrashSubmissionSendTitle", "Send");
}

std::string HLYSettings::interactivePromptAlwaysSendTitle() const
{
    return promptValueForSettingsKey("always_send_button_title", "HalyardCrashSubmissionAlwaysSendTitle", "Always Send");
}

} // namespace qlkit
