#include "crash/logging/HLYUserLogging.h"

#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYFile.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYUtilities.h"
#include "sdk/foundation/Dispatch.h"
#include "sdk/foundation/Json.h"
#include "sdk/foundation/Log.h"

#include <charconv>
#include <ctime>
#include <execinfo.h>

namespace qlkit {
namespace {

constexpr int kMaximumStackDepth = 128;

void onLoggingQueue(const Task& task)
{
    if (const auto queue = HLYLoggingQueue())
        queue->sync(task);
}

void laterOnLoggingQueue(Task task)
{
    if (const auto queue = HLYLoggingQueue())
        queue->async(std::move(task));
}

std::string formatted(const char* format, va_list arguments)
{
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0)
        return {};
    std::string text(std::size_t(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(std::size_t(length));
    return text;
}

std::vector<std::uintptr_t> currentReturnAddresses()
{
    void* frames[kMaximumStackDepth];
    const int count = backtrace(frames, kMaximumStackDepth);
    std::vector<std::uintptr_t> stack;
    for (int i = 0; i < count; ++i)
        stack.push_back(reinterpret_cast<std::uintptr_t>(frames[i]));
    return stack;
}

} // namespace

std::optional<std::string> HLYValueDescription(const std::optional<Value>& value)
{
    if (!value || value->isNull())
        return std::nullopt;
    if (const double* number = value->asDouble()) {
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, *number);
        return std::string(digits, result.ptr);
    }
    if (value->asArray() || value->asMap())
        return json::serialize(*value);
    return value->description();
}

void HLYUserLoggingRecordUserKeyValue(const std::string& key, const std::optional<Value>& value)
{
    const HLYContext* context = HLYContextShared();
    HLYWritableContext* writable = HLYWritableContextShared();
    if (!HLYContextIsInitialized() || !writable)
        return;
    HLYUserLoggingRecordKeyValue(key, value, &context->userKVStorage, &writable->userKVCount);
}

void HLYUserLoggingRecordInternalKeyValue(const std::string& key, const std::optional<Value>& value)
{
    const HLYContext* context = HLYContextShared();
    HLYWritableContext* writable = HLYWritableContextShared();
    if (!HLYContextIsInitialized() || !writable)
        return;
    HLYUserLoggingRecordKeyValue(key, value, &context->internalKVStorage, &writable->internalKVCount);
}

void HLYUserLoggingRecordKeyValue(const std::string& key, const std::optional<Value>& value,
                                  const HLYUserLoggingKVStorage* storage, std::uint32_t* count)
{
    if (key.empty() || !HLYContextIsInitialized())
        return;
    const auto text = HLYValueDescription(value);
    onLoggingQueue([&] { HLYUserLoggingWriteKeyValue(key, text, storage, count); });
}

void HLYUserLoggingWriteInternalKeyValue(const std::string& key, const std::optional<std::string>& valueText)
{
    const HLYContext* context = HLYContextShared();
    HLYWritableContext* writable = HLYWritableContextShared();
    if (!HLYContextIsInitialized() || !writable)
        return;
    HLYUserLoggingWriteKeyValue(key, valueText, &context->internalKVStorage, &writable->internalKVCount);
}

void HLYUserLoggingWriteKeyValue(const std::string& key, const std::optional<std::string>& valueText,
                                 const HLYUserLoggingKVStorage* storage, std::uint32_t* count)
{
    if (!storage || !count) {
        HLYSDKLog("%s: Bad parameters\n", "HLYUserLoggingWriteKeyValue");
        return;
    }
    HLYFile file;
    if (!HLYFileInitWithPath(&file, storage->incrementalPath, true)) {
        HLYSDKLog("%s: Unable to open k-v file\n", "HLYUserLoggingWriteKeyValue");
        return;
    }
    HLYFileWriteSectionStart(&file, "kv");
    HLYFileWriteHashStart(&file);
    HLYFileWriteHashEntryHexEncodedString(&file, "key", key.c_str());
    HLYFileWriteHashEntryHexEncodedString(&file, "value", valueText ? valueText->c_str() : nullptr);
    HLYFileWriteHashEnd(&file);
    HLYFileWriteSectionEnd(&file);
    HLYFileClose(&file);
    *count += 1;
    if (*count >= storage->compactionThreshold) {
        laterOnLoggingQueue([storage, count] {
            HLYUserLoggingCompactKVEntries(storage);
            *count = 0;
        });
    }
}

std::optional<Array> HLYUserLoggingReadKeyValues(const char* path)
{
    if (!HLYContextIsInitialized() || !path)
        return std::nullopt;
    return HLYFileReadSections(path, true, [](const Value& line) -> std::optional<Value> {
        const Map* map = line.asMap();
        const Value* kv = map ? map->find("kv") : nullptr;
        return kv ? std::optional<Value>(*kv) : std::nullopt;
    });
}

void HLYUserLoggingCompactKVEntries(const HLYUserLoggingKVStorage* storage)
{
    if (!storage) {
        HLYSDKLog("%s: Error: storage invalid\n", "HLYUserLoggingCompactKVEntries");
        return;
    }
    Map entries;
    auto take = [&entries](const std::optional<Array>& lines) {
        for (const Value& line : lines.value_or(Array {})) {
            const Map* kv = line.asMap();
            const Value* key = kv ? kv->find("key") : nullptr;
            const Value* value = kv ? kv->find("value") : nullptr;
            if (!key || !key->asString())
                continue;
            if (!value || value->isNull())
                entries.remove(*key->asString());
            else
                entries.set(*key->asString(), *value);
        }
    };
    take(HLYUserLoggingReadKeyValues(storage->compactedPath));
    take(HLYUserLoggingReadKeyValues(storage->incrementalPath));

    if (!HLYUnlinkIfExists(storage->compactedPath))
        HLYSDKLog("%s: Error: Unable to remove compacted KV store before compaction %s\n",
                  "HLYUserLoggingCompactKVEntries", HLYErrorText(errno));
    HLYFile file;
    if (!HLYFileInitWithPath(&file, storage->compactedPath, true)) {
        HLYSDKLog("%s: Error: Unable to open compacted k-v file\n", "HLYUserLoggingCompactKVEntries");
        return;
    }
    if (entries.size() > storage->maxEntries) {
        HLYSDKLog("%s: Truncating KV set, which is above max %d\n", "HLYUserLoggingCompactKVEntries",
                  int(storage->maxEntries));
        const std::size_t surplus = entries.size() - storage->maxEntries;
        if (surplus >= entries.size()) {
            HLYSDKLog("%s: Error: Computed a bad count of keys to remove\n", "HLYUserLoggingCompactKVEntries");
        } else {
            std::vector<std::string> dropped;
            for (const auto& [key, value] : entries) {
                if (dropped.size() == surplus)
                    break;
                dropped.push_back(key);
            }
            for (const auto& key : dropped)
                entries.remove(key);
        }
    }
    for (const auto& [key, value] : entries) {
        HLYFileWriteSectionStart(&file, "kv");
        HLYFileWriteHashStart(&file);
        HLYFileWriteHashEntryString(&file, "key", key.c_str());
        HLYFileWriteHashEntryString(&file, "value", value.asString() ? value.asString()->c_str() : nullptr);
        HLYFileWriteHashEnd(&file);
        HLYFileWriteSectionEnd(&file);
    }
    HLYFileClose(&file);
    if (!HLYUnlinkIfExists(storage->incrementalPath))
        HLYSDKLog("%s: Error: Unable to remove incremental KV store after compaction %s\n",
                  "HLYUserLoggingCompactKVEntries", HLYErrorText(errno));
}

void HLYUserLoggingRecordLogMessage(const std::string& message)
{
    const HLYContext* context = HLYContextShared();
    HLYWritableContext* writable = HLYWritableContextShared();
    if (!HLYContextIsInitialized() || !writable)
        return;
    const std::uint64_t time = (HLYMonotonicNanoseconds() - context->logStartTime) * context->timeBaseRatio / 1000000;
    HLYUserLoggingWriteAndCheckABFiles(&context->logStorage, &writable->currentLogPath,
                                       [&](HLYFile* file) { HLYUserLoggingWriteLogMessage(file, message, time); });
}

void HLYLogvAndEcho(const char* format, va_list arguments)
{
    if (!format)
        return;
    const std::string message = formatted(format, arguments);
    HLYUserLoggingRecordLogMessage(message);
    log::always(message);
}

void HLYLogAndEcho(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    HLYLogvAndEcho(format, arguments);
    va_end(arguments);
}

void HLYLogvOnly(const char* format, va_list arguments)
{
    if (format)
        HLYUserLoggingRecordLogMessage(formatted(format, arguments));
}

void HLYLogOnly(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    HLYLogvOnly(format, arguments);
    va_end(arguments);
}

void HLYUserLoggingRecordError(const KitError& error, const std::optional<Map>& extraInfo)
{
    const HLYContext* context = HLYContextShared();
    HLYWritableContext* writable = HLYWritableContextShared();
    if (!HLYContextIsInitialized() || !writable)
        return;
    const auto stack = currentReturnAddresses();
    const std::uint64_t time = std::uint64_t(std::time(nullptr));
    HLYUserLoggingWriteAndCheckABFiles(&context->errorStorage, &writable->currentErrorPath, [&](HLYFile* file) {
        HLYUserLoggingWriteError(file, error, extraInfo, time, stack);
    });
}

void HLYUserLoggingWriteError(HLYFile* file, const KitError& error, const std::optional<Map>& extraInfo,
                              std::uint64_t time, const std::vector<std::uintptr_t>& stack)
{
    HLYFileWriteSectionStart(file, "error");
    HLYFileWriteHashStart(file);
    HLYFileWriteHashEntryHexEncodedString(file, "domain", error.domain.c_str());
    HLYFileWriteHashEntryInt64(file, "code", std::int64_t(error.code));
    HLYFileWriteHashEntryUInt64(file, "time", time);
    HLYFileWriteHashKey(file, "stacktrace");
    HLYFileWriteArrayStart(file);
    for (const std::uintptr_t address : stack)
        HLYFileWriteArrayEntryUInt64(file, address);
    HLYFileWriteArrayEnd(file);
    HLYUserLoggingWriteErrorUserInfo(file, "info", error.userInfo);
    HLYUserLoggingWriteErrorUserInfo(file, "extra_info", extraInfo);
    HLYFileWriteHashEnd(file);
    HLYFileWriteSectionEnd(file);
}

void HLYUserLoggingWriteErrorUserInfo(HLYFile* file, const char* key, const std::optional<Map>& dictionary)
{
    if (!dictionary || dictionary->empty())
        return;
    HLYFileWriteHashKey(file, key);
    HLYFileWriteArrayStart(file);
    for (const auto& [name, value] : *dictionary) {
        const auto text = HLYValueDescription(value);
        if (!text)
            continue;
        HLYFileWriteArrayStart(file);
        HLYFileWriteArrayEntryHexEncodedString(file, name.c_str());
        HLYFileWriteArrayEntryHexEncodedString(file, text->c_str());
        HLYFileWriteArrayEnd(file);
    }
    HLYFileWriteArrayEnd(file);
}

void HLYUserLoggingWriteLogMessage(HLYFile* file, const std::string& message, std::uint64_t time)
{
    HLYFileWriteSectionStart(file, "log");
    HLYFileWriteHashStart(file);
    HLYFileWriteHashEntryHexEncodedString(file, "msg", message.c_str());
    HLYFileWriteHashEntryUInt64(file, "time", time);
    HLYFileWriteHashEnd(file);
    HLYFileWriteSectionEnd(file);
}

void HLYUserLoggingWriteAndCheckABFiles(const HLYUserLoggingABStorage* storage, const char** currentPath,
                                        const HLYUserLoggingLineWriter& writer)
{
    if (!storage || !currentPath || !writer || !*currentPath || storage->maxSize == 0)
        return;
    std::uint64_t size = 0;
    onLoggingQueue([&] {
        HLYFile file;
        if (!HLYFileInitWithPath(&file, *currentPath, true)) {
            HLYSDKLog("%s: Unable to open log file\n", "HLYUserLoggingWriteAndCheckABFilesBlock");
            return;
        }
        writer(&file);
        HLYFileCloseWithOffset(&file, &size);
    });
    laterOnLoggingQueue([storage, currentPath, size] { HLYUserLoggingRotateABFilesIfNeeded(storage, currentPath, size); });
}

void HLYUserLoggingRotateABFilesIfNeeded(const HLYUserLoggingABStorage* storage, const char** currentPath,
                                         std::uint64_t size)
{
    if (!storage || !currentPath || size <= storage->maxSize)
        return;
    const char* other = *currentPath == storage->pathA ? storage->pathB : storage->pathA;
    if (!HLYUnlinkIfExists(other))
        HLYSDKLog("%s: Unable to remove %s\n", "HLYUserLoggingRotateABFilesIfNeeded", other);
    *currentPath = other;
}

} // namespace qlkit
