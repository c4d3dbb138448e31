// Host facts of the capture core: the page size, the `host` metadata line and
// the `storage` crash section.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qlkit {

struct HLYContext;
struct HLYFile;

// Page size and documents folder into the context (set-up).
void HLYHostInitialize(HLYContext* context);
std::size_t HLYHostGetPageSize();
std::uint32_t HLYHostOperatingSystemReleaseNumber();
// The `host` line: model, machine, cpu, OS build and display versions,
// platform "linux", locale.
bool HLYHostRecord(HLYFile* file);
// key: the named host fact ("hw.machine", "machdep.cpu.brand_string") read
// into a 128-byte buffer, or "(failed)".
void HLYHostWriteSysctlEntry(HLYFile* file, const char* key, const char* name);
// The `storage` line for the documents folder's file system; {} when it
// cannot be asked. Signal-safe.
void HLYHostRecordStorage(HLYFile* file);

} // namespace qlkit
