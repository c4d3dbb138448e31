#include "sdk/HostInfo.h"

#include "sdk/foundation/FileOps.h"

#include <algorithm>
#include <cstdio>
#include <sys/utsname.h>

namespace qlkit {
namespace {

constexpr std::size_t kSysctlBufferSize = 128;

std::optional<std::string> firstLineOf(const char* path)
{
    auto contents = files::readFile(path);
    if (!contents)
        return std::nullopt;
    const auto end = contents->find('\n');
    if (end != std::string::npos)
        contents->resize(end);
    return contents;
}

std::optional<std::string> machineModel()
{
    for (const char* path : {"/sys/devices/virtual/dmi/id/product_name", "/proc/device-tree/model"}) {
        auto model = firstLineOf(path);
        if (model) {
            model->erase(std::find(model->begin(), model->end(), '\0'), model->end());
            if (!model->empty())
                return model;
        }
    }
    utsname names {};
    if (uname(&names) == 0)
        return std::string(names.machine);
    return std::nullopt;
}

} // namespace

RIGOperatingSystemVersionRecord RIGOperatingSystemVersion()
{
    RIGOperatingSystemVersionRecord version {10, 0, 0};
    utsname names {};
    if (uname(&names) != 0)
        return version;
    long long major = 0, minor = 0, patch = 0;
    const int found = std::sscanf(names.release, "%lld.%lld.%lld", &major, &minor, &patch);
    if (found >= 1)
        version.major = major;
    if (found >= 2)
        version.minor = minor;
    version.patch = found >= 3 ? patch : 0;
    return version;
}

std::uint32_t RIGOperatingSystemReleaseNumberForMinor(std::int64_t minor)
{
    switch (minor) {
    case 6: return 1060;
    case 7: return 1070;
    case 8: return 1080;
    case 9: return 1090;
    case 10: return 101000;
    case 11: return 101100;
    default: return 0;
    }
}

std::uint32_t RIGOperatingSystemReleaseNumber()
{
    return RIGOperatingSystemReleaseNumberForMinor(RIGOperatingSystemVersion().minor);
}

std::optional<std::string> RIGSysctlString(const std::string& name)
{
    std::optional<std::string> value;
    if (name == "hw.model") {
        value = machineModel();
    } else if (name == "kern.osversion") {
        value = firstLineOf("/proc/sys/kernel/version");
    } else {
        if (name.empty() || name.find("..") != std::string::npos || name.find('/') != std::string::npos)
            return std::nullopt;
        std::string path = "/proc/sys/" + name;
        std::replace(path.begin() + 10, path.end(), '.', '/');
        value = firstLineOf(path.c_str());
    }
    // The value and its NUL must fit the fixed buffer, as with the original query.
    if (!value || value->size() + 1 > kSysctlBufferSize)
        return std::nullopt;
    return value;
}

std::optional<std::string> RIGHostModel() { return RIGSysctlString("hw.model"); }

std::optional<std::string> RIGHostOSBuildVersion() { return RIGSysctlString("kern.osversion"); }

std::string RIGHostOSDisplayVersion()
{
    const auto version = RIGOperatingSystemVersion();
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." + std::to_string(version.patch);
}

} // namespace qlkit
