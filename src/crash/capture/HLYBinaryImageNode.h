// One loaded image as the crash-time code sees it: a fixed record in the
// writable context, claimed by a compare-and-swap of its base and read
// without locks while the process is stopped.
#pragma once

#include <atomic>
#include <cstdint>

namespace qlkit {

struct HLYBinaryImageNode {
    std::atomic<std::uintptr_t> base; // address of the ELF header; 0 = free
    std::uint64_t size;               // up to the end of the last executable segment
    std::uintptr_t ehFrame;           // ".eh_frame", 0 when absent
    std::uintptr_t ehFrameHeader;     // ".eh_frame_hdr": the binary-search table the unwinder uses
    std::uintptr_t crashInfo;         // ELF images carry none: always 0 (see abortMessageSlot)
};

inline constexpr std::uint32_t kHLYBinaryImageNodeCount = 512;

// The first node in table order with base <= address < base + size.
bool HLYBinaryImageFindInTable(const HLYBinaryImageNode* nodes, std::uint32_t count, std::uintptr_t address,
                               HLYBinaryImageNode* out);

} // namespace qlkit
