// Reading an ELF image the loader has mapped, through safe reads only: the
// crash-time counterpart of the set-up code, for images found in the
// loader's list after the last refresh.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qlkit {

struct HLYBinaryImageDetails;

// Details of the image whose load bias is `bias` (its ELF header mapped at
// the start of its first segment). Signal-safe.
bool HLYElfMemoryReadDetails(std::uintptr_t bias, HLYBinaryImageDetails* details);

} // namespace qlkit
