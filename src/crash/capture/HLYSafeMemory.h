// Reading memory that may not be mapped (other threads' stacks, images that
// may be gone) without faulting: the kernel copies it or refuses.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qlkit {

// Copies length bytes at address into buffer; false for addresses below
// 4096 or when any byte is unreadable. Signal-safe.
bool HLYReadMemory(std::uintptr_t address, void* buffer, std::size_t length);
// Reads one 64-bit word.
bool HLYReadWord(std::uintptr_t address, std::uint64_t* value);
// True when a zero byte is readable within `maximum` bytes of address (or
// `maximum` bytes are readable without one); *out is then the address.
// Copies the zero-terminated string at address into buffer, at most
// size - 1 bytes, and terminates it; false when its first byte is unreadable.
bool HLYReadString(std::uintptr_t address, char* buffer, std::size_t size);
bool HLYCheckReadableString(std::uintptr_t address, const char** out, std::size_t maximum);

} // namespace qlkit
