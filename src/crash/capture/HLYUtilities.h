// Small services of the capture core: strings in protected memory, file
// helpers that are safe at crash time, symbol look-up, identifiers, delayed
// work on the kit's clock and start-up profiling marks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qlkit {

class DispatchQueue;

// A copy with its terminating zero in the context's protected region.
const char* HLYDuplicateString(const char* text);
// unlink(2); a missing file counts as success.
bool HLYUnlinkIfExists(const char* path);
// The text of an error number without touching the locale or the heap.
const char* HLYErrorText(int error);
// Reads at most size - 1 bytes of a small file (such as one under /proc)
// into buffer and terminates it; the byte count, or -1. Signal-safe.
long HLYReadFileIntoBuffer(const char* path, char* buffer, std::size_t size);
// Monotonic nanoseconds (the vDSO clock; signal-safe).
std::uint64_t HLYMonotonicNanoseconds();

// dladdr: the symbol and the image path ("unknown" for a missing one), or
// two nulls when the address is in no image.
void HLYDladdrWithBlock(const void* address, const std::function<void(const char* symbol, const char* image)>& block);

void HLYHexFromByte(std::uint8_t byte, char* out);
void HLYHexFromBytes(const std::uint8_t* bytes, std::size_t count, char* out);
std::string HLYHexStringFromData(std::string_view data);
std::string HLYSHA1HexStringFromBytes(const void* bytes, std::uint32_t length);
std::string HLYSHA1HexStringFromData(std::string_view data);
std::string HLYGenerateUUIDString();
// Without "-", lower-case.
std::string HLYNormalizeUUIDString(std::string_view text);
std::string HLYGenerateNormalizedUUIDString();

// Runs the block on the queue after `seconds` of the kit's clock.
void HLYDispatchAfter(const std::shared_ptr<DispatchQueue>& queue, std::function<void()> block, double seconds);

// The process start mark (taken when the program loads) and time since it.
void HLYProfileMark();
double HLYProfileMillisecondsSinceMark(std::uint64_t mark);
double HLYProfileMillisecondsSinceStart();
void HLYProfileBlock(const char* name, const std::function<void()>& block);

} // namespace qlkit
