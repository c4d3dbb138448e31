// Hexadecimal, SHA-1 and UUID text forms used by every identifier of the kit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qlkit {

struct ByteRange {
    std::size_t location = 0;
    std::size_t length = 0;
};

// Two lower-case digits of one byte into out[0..1]; nothing for a null buffer.
void RIGHexFromByte(std::uint8_t byte, char* out);
// Zeroes 2 x count + 1 bytes of out, then writes two digits per byte; out ends
// with a NUL. The caller provides the space.
void RIGHexFromBytes(const std::uint8_t* bytes, std::size_t count, char* out);
std::string RIGHexStringFromData(std::string_view data);
std::string RIGSHA1HexStringFromBytes(const void* bytes, std::uint32_t length);
std::string RIGSHA1HexStringFromData(std::string_view data);
// Calls block(bytes, range, stop) once per contiguous range; one buffer is one range.
void RIGEnumerateByteRangesInData(std::string_view data,
                                  const std::function<void(const std::uint8_t*, ByteRange, bool& stop)>& block);
// A new random UUID, 36 characters, upper-case, with dashes.
std::string RIGGenerateUUIDString();
// 32 lower-case digits of 16 UUID bytes.
std::string RIGHexStringFromUUIDBytes(const std::uint8_t* bytes);

} // namespace qlkit
