// Compresses a whole open file into a gzip stream (header and trailer), in
// small chunks so that a large log never sits in memory at once; and tells
// how far a gzip stream expands without holding what it expands to.
#pragma once

#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>

namespace qlkit {

// 0 on success, -1 on any failure (reading, compressing, writing). At most
// `maximumLength` bytes of the source are read: a file that grows while it is
// compressed goes as far as that.
int HLYGzipFile(std::FILE* source, std::FILE* destination,
                std::uint64_t maximumLength = std::numeric_limits<std::uint64_t>::max());

// The most HLYGzipFile writes for `length` bytes that do not compress at all.
constexpr std::uint64_t HLYGzipMaximumLength(std::uint64_t length)
{
    return length + (length >> 12) + (length >> 14) + (length >> 25) + 13 + 18;
}

// How many bytes the first `length` bytes of the open file `fd` expand to,
// every gzip member of them in turn (zero bytes between members skipped, as
// common readers do); what comes after damage does not count. Nothing once
// that passes `limit`.
std::optional<std::uint64_t> HLYGzipExpandedLength(int fd, std::uint64_t length, std::uint64_t limit);

} // namespace qlkit
