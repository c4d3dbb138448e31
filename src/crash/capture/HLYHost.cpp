#include "crash/capture/HLYHost.h"

#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYFile.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYUtilities.h"
#include "sdk/HostInfo.h"
#include "sdk/KitConstants.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Paths.h"
#include "sdk/network/RIGNetworkOperation.h"

#include <optional>
#include <string>
#include <sys/statfs.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace qlkit {
namespace {

constexpr std::size_t kSysctlBufferSize = 128;

std::optional<std::string> cpuBrand()
{
    const auto info = files::readFile("/proc/cpuinfo");
    if (!info)
        return std::nullopt;
    for (std::size_t start = 0; start < info->size();) {
        std::size_t end = info->find('\n', start);
        if (end == std::string::npos)
            end = info->size();
        const std::string line = info->substr(start, end - start);
        start = end + 1;
        if (line.rfind("model name", 0) != 0)
            continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const auto first = line.find_first_not_of(" \t", colon + 1);
        return first == std::string::npos ? std::string() : line.substr(first);
    }
    return std::nullopt;
}

std::optional<std::string> hostFact(const char* name)
{
    const std::string key = name ? name : "";
    if (key == "hw.machine") {
        utsname names {};
        if (uname(&names) == 0)
            return std::string(names.machine);
        return std::nullopt;
    }
    if (key == "machdep.cpu.brand_string")
        return cpuBrand();
    return RIGSysctlString(key);
}

} // namespace

void HLYHostInitialize(HLYContext* context)
{
    if (!context)
        return;
    context->pageSize = HLYHostGetPageSize();
    const std::string documents = paths::documentsDirectory().string();
    context->documentsPath = documents.empty() ? nullptr : HLYDuplicateString(documents.c_str());
}

std::size_t HLYHostGetPageSize()
{
    const long size = sysconf(_SC_PAGESIZE);
    if (size <= 0) {
        HLYSDKLog("%s: sysctlbyname failed while trying to get hw.pagesize\n", "HLYHostGetPageSize");
        return 4096;
    }
    return std::size_t(size);
}

std::uint32_t HLYHostOperatingSystemReleaseNumber() { return RIGOperatingSystemReleaseNumber(); }

void HLYHostWriteSysctlEntry(HLYFile* file, const char* key, const char* name)
{
    const auto value = hostFact(name);
    const bool fits = value && value->size() + 1 <= kSysctlBufferSize;
    HLYFileWriteHashEntryString(file, key, fits ? value->c_str() : "(failed)");
}

bool HLYHostRecord(HLYFile* file)
{
    const auto model = RIGHostModel();
    const auto build = RIGHostOSBuildVersion();
    const std::string display = RIGHostOSDisplayVersion();
    const std::string locale = RIGNetworkOperation::localeIdentifier();
    HLYFileWriteSectionStart(file, "host");
    HLYFileWriteHashStart(file);
    HLYFileWriteHashEntryString(file, "model", model ? model->c_str() : nullptr);
    HLYHostWriteSysctlEntry(file, "machine", "hw.machine");
    HLYHostWriteSysctlEntry(file, "cpu", "machdep.cpu.brand_string");
    HLYFileWriteHashEntryString(file, "os_build_version", build ? build->c_str() : nullptr);
    HLYFileWriteHashEntryString(file, "os_display_version", display.c_str());
    HLYFileWriteHashEntryString(file, "platform", kPlatformName);
    HLYFileWriteHashEntryString(file, "locale", locale.c_str());
    HLYFileWriteHashEnd(file);
    HLYFileWriteSectionEnd(file);
    return true;
}

void HLYHostRecordStorage(HLYFile* file)
{
    const HLYContext* context = HLYContextShared();
    // statfs, not statvfs: the latter may read the mount table through stdio.
    struct statfs volume {};
    const bool known = context && context->documentsPath && statfs(context->documentsPath, &volume) == 0;
    HLYFileWriteSectionStart(file, "storage");
    HLYFileWriteHashStart(file);
    if (known) {
        const std::uint64_t block = std::uint64_t(volume.f_frsize ? volume.f_frsize : volume.f_bsize);
        HLYFileWriteHashEntryUInt64(file, "free", block * std::uint64_t(volume.f_bavail));
        HLYFileWriteHashEntryUInt64(file, "total", block * std::uint64_t(volume.f_blocks));
    }
    HLYFileWriteHashEnd(file);
    HLYFileWriteSectionEnd(file);
}

} // namespace qlkit
