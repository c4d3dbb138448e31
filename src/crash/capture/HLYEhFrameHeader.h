// The ".eh_frame_hdr" of a loaded image: a sorted table of function starts
// and their FDEs, searched by binary search to find the call-frame
// information of a program counter.
#pragma once

#include <cstdint>

namespace qlkit {

// The ".eh_frame" the header points at, or 0.
std::uintptr_t HLYEhFrameHeaderGetEhFrame(std::uintptr_t header);
// The FDE of the last table entry starting at or before pc; 0 when the table
// has none or cannot be read. The caller checks the FDE's range.
std::uintptr_t HLYEhFrameHeaderFindFDE(std::uintptr_t header, std::uintptr_t pc);

} // namespace qlkit
