// What the host is: operating-system version and build, and the machine model,
// from uname(2), /proc and /sys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qlkit {

struct RIGOperatingSystemVersionRecord {
    std::int64_t major = 0;
    std::int64_t minor = 0;
    std::int64_t patch = 0;
};

// The kernel release as major.minor.patch; {10, 0, 0} when it cannot be read.
RIGOperatingSystemVersionRecord RIGOperatingSystemVersion();
// The release number table keyed by the minor version alone.
std::uint32_t RIGOperatingSystemReleaseNumberForMinor(std::int64_t minor);
std::uint32_t RIGOperatingSystemReleaseNumber();
// A named host fact read into a 128-byte buffer; nothing when it is missing or
// longer. "hw.model" is the machine's product name, "kern.osversion" the
// kernel's build string; other dotted names are read from /proc/sys.
std::optional<std::string> RIGSysctlString(const std::string& name);
std::optional<std::string> RIGHostModel();
std::optional<std::string> RIGHostOSBuildVersion();
std::string RIGHostOSDisplayVersion();

} // namespace qlkit
