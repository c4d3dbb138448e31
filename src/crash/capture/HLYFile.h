// Record files: one JSON object per line, each with exactly one key. The
// writer builds lines by hand with write(2) alone and formats its own numbers,
// so it works inside a signal handler; only the optional write buffer, which
// crash-time writers never ask for, comes from the heap.
#pragma once

#include "sdk/foundation/Value.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace qlkit {

struct HLYFile {
    int descriptor = -1;
    int depth = 0;
    bool needsComma = false;
    bool buffered = false;
    char* buffer = nullptr; // kHLYFileBufferSize bytes when buffered
    std::uint64_t bufferFill = 0;
    std::uint64_t bytesWritten = 0;
};

inline constexpr std::size_t kHLYFileBufferSize = 1000;
// The most a record file is read back with: far above what a run writes
// (its logs are 64 KiB by default), well below what would exhaust memory
// once every line is parsed.
inline constexpr std::size_t kHLYRecordFileMaximumLength = 16 * 1024 * 1024;

// Opens write-only and creating (0644); `append` also appends and starts the
// byte count at the file's size, otherwise the file is truncated. Only a
// regular file is written: never through a link, never into a pipe.
bool HLYFileInitWithPathMode(HLYFile* file, const char* path, bool append, bool buffered);
// The append form every writer of the capture core uses.
bool HLYFileInitWithPath(HLYFile* file, const char* path, bool buffered);
bool HLYFileClose(HLYFile* file);
bool HLYFileCloseWithOffset(HLYFile* file, std::uint64_t* bytesWritten);
bool HLYFileIsOpen(const HLYFile* file);
void HLYFileFlushWriteBuffer(HLYFile* file);
void HLYFileWrite(HLYFile* file, const void* bytes, std::size_t length);

void HLYFileWriteSectionStart(HLYFile* file, const char* name);
void HLYFileWriteSectionEnd(HLYFile* file);
void HLYFileWriteHashStart(HLYFile* file);
void HLYFileWriteHashEnd(HLYFile* file);
void HLYFileWriteArrayStart(HLYFile* file);
void HLYFileWriteArrayEnd(HLYFile* file);
void HLYFileWriteHashKey(HLYFile* file, const char* key);

void HLYFileWriteHashEntryUInt64(HLYFile* file, const char* key, std::uint64_t value);
void HLYFileWriteHashEntryInt64(HLYFile* file, const char* key, std::int64_t value);
// Text in quotes (escaped as JSON), or null for a missing string.
void HLYFileWriteHashEntryString(HLYFile* file, const char* key, const char* value);
// Nothing at all for a missing or empty string.
void HLYFileWriteHashEntryStringUnlessEmpty(HLYFile* file, const char* key, const char* value);
// Every byte as two lower-case hexadecimal digits, or null.
void HLYFileWriteHashEntryHexEncodedString(HLYFile* file, const char* key, const char* value);
void HLYFileWriteHashEntryBoolean(HLYFile* file, const char* key, bool value);
void HLYFileWriteHashEntryNull(HLYFile* file, const char* key);

void HLYFileWriteArrayEntryUInt64(HLYFile* file, std::uint64_t value);
void HLYFileWriteArrayEntryString(HLYFile* file, const char* value);
void HLYFileWriteArrayEntryHexEncodedString(HLYFile* file, const char* value);
void HLYFileWriteArrayEntryNull(HLYFile* file);

// A number without the comma bookkeeping (decimal, or hexadecimal when `hex`).
void HLYFileWriteUInt64(HLYFile* file, std::uint64_t value, bool hex);
void HLYFileWriteInt64(HLYFile* file, std::int64_t value);
void HLYFileDescriptorWriteUInt64(int descriptor, std::uint64_t value, bool hex);
void HLYFileDescriptorWriteInt64(int descriptor, std::int64_t value);

// Digits of `value` into a 21-byte buffer; returns the first digit.
const char* HLYFileFormatUInt64(std::uint64_t value, bool hex, char buffer[21]);

// Reads a record file back: one object per line in file order, lines that
// do not parse skipped. A transform may replace each object (nothing skips
// it). Nothing when the file cannot be read, is a link or no regular file,
// or is longer than kHLYRecordFileMaximumLength; it is then unlinked if asked.
using HLYFileSectionTransform = std::function<std::optional<Value>(const Value&)>;
std::optional<Array> HLYFileReadSections(const char* path, bool deleteWhenUnreadable,
                                         const HLYFileSectionTransform& transform = {});

} // namespace qlkit
