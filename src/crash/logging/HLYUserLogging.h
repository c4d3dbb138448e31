// The application's custom keys, log lines and non-fatal errors, and the
// kit's internal keys, kept in the run's report folder so that a report of
// this run carries them. Every write runs on the logging queue; keys go to an
// append-only file that is compacted every 64 lines, logs and errors to an
// A/B pair of which one is current.
#pragma once

#include "sdk/foundation/Value.h"
#include "sdk/network/KitError.h"

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qlkit {

struct HLYFile;
struct HLYUserLoggingKVStorage;
struct HLYUserLoggingABStorage;

// What a value says of itself in records: strings as they are, integers in
// decimal, floats in their shortest round-trip form, booleans "1" or "0",
// lists and dictionaries as JSON. Null and nothing say nothing.
std::optional<std::string> HLYValueDescription(const std::optional<Value>& value);

void HLYUserLoggingRecordUserKeyValue(const std::string& key, const std::optional<Value>& value);
void HLYUserLoggingRecordInternalKeyValue(const std::string& key, const std::optional<Value>& value);
void HLYUserLoggingRecordKeyValue(const std::string& key, const std::optional<Value>& value,
                                  const HLYUserLoggingKVStorage* storage, std::uint32_t* count);
// For callers already on the logging queue.
void HLYUserLoggingWriteInternalKeyValue(const std::string& key, const std::optional<std::string>& valueText);
void HLYUserLoggingWriteKeyValue(const std::string& key, const std::optional<std::string>& valueText,
                                 const HLYUserLoggingKVStorage* storage, std::uint32_t* count);
void HLYUserLoggingCompactKVEntries(const HLYUserLoggingKVStorage* storage);
// {"key", "value"} maps with hex text (value null for a removed key).
std::optional<Array> HLYUserLoggingReadKeyValues(const char* path);

void HLYUserLoggingRecordLogMessage(const std::string& message);
// printf-style formats: record the line, and with "Echo" print it too.
void HLYLogAndEcho(const char* format, ...) __attribute__((format(printf, 1, 2)));
void HLYLogvAndEcho(const char* format, va_list arguments) __attribute__((format(printf, 1, 0)));
void HLYLogOnly(const char* format, ...) __attribute__((format(printf, 1, 2)));
void HLYLogvOnly(const char* format, va_list arguments) __attribute__((format(printf, 1, 0)));

// A non-fatal error with the calling thread's return addresses.
void HLYUserLoggingRecordError(const KitError& error, const std::optional<Map>& extraInfo);
void HLYUserLoggingWriteError(HLYFile* file, const KitError& error, const std::optional<Map>& extraInfo,
                              std::uint64_t time, const std::vector<std::uintptr_t>& stack);
void HLYUserLoggingWriteErrorUserInfo(HLYFile* file, const char* key, const std::optional<Map>& dictionary);
void HLYUserLoggingWriteLogMessage(HLYFile* file, const std::string& message, std::uint64_t time);

using HLYUserLoggingLineWriter = std::function<void(HLYFile*)>;
void HLYUserLoggingWriteAndCheckABFiles(const HLYUserLoggingABStorage* storage, const char** currentPath,
                                        const HLYUserLoggingLineWriter& writer);
void HLYUserLoggingRotateABFilesIfNeeded(const HLYUserLoggingABStorage* storage, const char** currentPath,
                                         std::uint64_t size);

} // namespace qlkit
