#include "sdk/ApplicationInfo.h"

#include "sdk/foundation/InfoDictionary.h"

#include <algorithm>

namespace qlkit {
namespace {

std::optional<std::string> infoString(const std::string& key)
{
    auto value = info::mainInfoValue(key);
    if (value && value->asString())
        return *value->asString();
    return std::nullopt;
}

} // namespace

std::optional<std::string> RIGApplicationBundleIdentifier()
{
    auto identifier = infoString("CFBundleIdentifier");
    if (identifier)
        std::replace(identifier->begin(), identifier->end(), '/', '_');
    return identifier;
}

std::optional<std::string> RIGApplicationBuildVersion() { return infoString("CFBundleVersion"); }

std::optional<std::string> RIGApplicationDisplayVersion() { return infoString("CFBundleShortVersionString"); }

std::optional<std::string> RIGApplicationName()
{
    if (auto name = infoString("CFBundleDisplayName"))
        return name;
    if (auto name = infoString("CFBundleName"))
        return name;
    return RIGApplicationBuildVersion();
}

bool RIGHasStoreReceipt() { return false; }

bool RIGApplicationIsSignedForDistribution()
{
    // The kit and the application share one Info dictionary here.
    auto value = info::mainInfoValue("HalyardSignedForDistribution");
    return value && value->boolValue();
}

int RIGApplicationInstallSource()
{
    if (RIGHasStoreReceipt())
        return 4;
    return RIGApplicationIsSignedForDistribution() ? 3 : 1;
}

bool RIGCanCollectDeviceIdentifiers()
{
    if (auto rigging = info::mainInfoValue("Rigging"); rigging && rigging->asMap()) {
        if (const Value* report = rigging->asMap()->find("ReportIdentifiers"))
            return report->boolValue();
    }
    if (auto collect = info::mainInfoValue("HalyardCollectDeviceIdentifiers"))
        return collect->boolValue();
    return true;
}

} // namespace qlkit
