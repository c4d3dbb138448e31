#include "crash/kit/HLYApplication.h"

#include "crash/capture/HLYSDKLog.h"
#include "crash/kit/HLYLogoutInhibitor.h"
#include "sdk/foundation/InfoDictionary.h"

#include <atomic>

namespace qlkit {
namespace {

std::atomic<int> g_suddenTerminationHolds {0};
std::atomic<int> g_automaticTerminationHolds {0};

constexpr std::uint64_t kTerminationOptions =
    kHLYActivitySuddenTerminationDisabled | kHLYActivityAutomaticTerminationDisabled;

} // namespace

std::optional<std::string> HLYApplicationExtensionPointIdentifier()
{
    const auto extension = info::mainInfoValue("NSExtension");
    if (!extension)
        return std::nullopt;
    const Map* map = extension->asMap();
    if (!map) {
        HLYSDKLog("%s: Error: NSExtension Info.plist entry is mal-formed\n", "HLYApplicationExtensionPointIdentifier");
        return std::nullopt;
    }
    const Value* point = map->find("NSExtensionPointIdentifier");
    if (!point || !point->asString()) {
        HLYSDKLog("%s: Error: NSExtensionPointIdentifier Info.plist entry is mal-formed\n",
                  "HLYApplicationExtensionPointIdentifier");
        return std::nullopt;
    }
    return *point->asString();
}

bool HLYApplicationIsExtension() { return HLYApplicationExtensionPointIdentifier().has_value(); }

std::optional<Map> HLYApplicationBeginActivity(std::uint64_t options, const std::string& reason)
{
    if (options & kHLYActivitySuddenTerminationDisabled)
        ++g_suddenTerminationHolds;
    if (options & kHLYActivityAutomaticTerminationDisabled)
        ++g_automaticTerminationHolds;
    if (options & kTerminationOptions)
        HLYLogoutInhibitor::shared().begin(reason);
    return Map {{"options", Value(options)}, {"reason", Value(reason)}};
}

void HLYApplicationEndActivity(const std::optional<Map>& token)
{
    if (!token)
        return;
    const Value* value = token->find("options");
    const std::uint64_t options = value && value->asInt() ? std::uint64_t(*value->asInt()) : 0;
    if (options & kHLYActivitySuddenTerminationDisabled)
        --g_suddenTerminationHolds;
    if (options & kHLYActivityAutomaticTerminationDisabled)
        --g_automaticTerminationHolds;
    if (options & kTerminationOptions)
        HLYLogoutInhibitor::shared().end();
}

void HLYApplicationActivity(std::uint64_t options, const std::string& reason, const std::function<void()>& block)
{
    const auto token = HLYApplicationBeginActivity(options, reason);
    block();
    HLYApplicationEndActivity(token);
}

bool HLYApplicationSuddenTerminationEnabled() { return g_suddenTerminationHolds.load() == 0; }

bool HLYApplicationAutomaticTerminationEnabled() { return g_automaticTerminationHolds.load() == 0; }

} // namespace qlkit
