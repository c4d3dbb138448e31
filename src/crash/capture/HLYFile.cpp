#include "crash/capture/HLYFile.h"

#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYUtilities.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Json.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlkit {
namespace {

constexpr std::uintptr_t kLowestPlausibleAddress = 4096;

bool plausible(const void* pointer) { return std::uintptr_t(pointer) >= kLowestPlausibleAddress; }

void writeLiteral(HLYFile* file, const char* text) { HLYFileWrite(file, text, std::strlen(text)); }

void writeCommaIfNeeded(HLYFile* file)
{
    if (file->needsComma)
        HLYFileWrite(file, ",", 1);
}

void openCollection(HLYFile* file, char bracket)
{
    writeCommaIfNeeded(file);
    HLYFileWrite(file, &bracket, 1);
    ++file->depth;
    file->needsComma = false;
}

void closeCollection(HLYFile* file, char bracket)
{
    HLYFileWrite(file, &bracket, 1);
    if (file->depth > 0) {
        const int old = file->depth--;
        file->needsComma = old > 1;
    }
}

// Length of the valid UTF-8 sequence at text[0], or 0 when it is not one.
std::size_t utf8SequenceLength(const unsigned char* text, std::size_t available)
{
    const unsigned char lead = text[0];
    std::size_t length = 0;
    std::uint32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (length > available)
        return 0;
    std::uint32_t code = lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (text[i] & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// A JSON string: quotes, backslashes and control bytes are escaped and bytes
// that are not UTF-8 become U+FFFD, so that any text keeps its line readable.
// Assembled in a stack buffer and written in as few calls as it takes.
void writeQuoted(HLYFile* file, const char* text, const char* suffix)
{
    char chunk[256];
    std::size_t fill = 0;
    auto put = [&](const char* bytes, std::size_t count) {
        if (fill + count > sizeof chunk) {
            HLYFileWrite(file, chunk, fill);
            fill = 0;
        }
        std::memcpy(chunk + fill, bytes, count);
        fill += count;
    };
    put("\"", 1);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t remaining = std::strlen(text);
    while (remaining > 0) {
        const unsigned char byte = *bytes;
        if (byte == '"' || byte == '\\') {
            const char escaped[2] = {'\\', char(byte)};
            put(escaped, 2);
        } else if (byte < 0x20) {
            static const char digits[] = "0123456789abcdef";
            const char escaped[6] = {'\\', 'u', '0', '0', digits[byte >> 4], digits[byte & 0xF]};
            put(escaped, 6);
        } else if (byte >= 0x80) {
            const std::size_t length = utf8SequenceLength(bytes, remaining);
            if (length == 0) {
                put("\\ufffd", 6);
            } else {
                put(reinterpret_cast<const char*>(bytes), length);
                bytes += length - 1;
                remaining -= length - 1;
            }
        } else {
            put(reinterpret_cast<const char*>(bytes), 1);
        }
        ++bytes;
        --remaining;
    }
    put("\"", 1);
    if (suffix)
        put(suffix, std::strlen(suffix));
    HLYFileWrite(file, chunk, fill);
}

void writeHex(HLYFile* file, const char* text)
{
    static const char digits[] = "0123456789abcdef";
    HLYFileWrite(file, "\"", 1);
    char chunk[64]; // 32 bytes of text at a time
    std::size_t fill = 0;
    for (const auto* byte = reinterpret_cast<const unsigned char*>(text); *byte; ++byte) {
        chunk[fill++] = digits[*byte >> 4];
        chunk[fill++] = digits[*byte & 0xF];
        if (fill == sizeof chunk) {
            HLYFileWrite(file, chunk, fill);
            fill = 0;
        }
    }
    if (fill)
        HLYFileWrite(file, chunk, fill);
    HLYFileWrite(file, "\"", 1);
}

void writeUnsignedValue(HLYFile* file, std::uint64_t value)
{
    char buffer[21];
    writeLiteral(file, HLYFileFormatUInt64(value, false, buffer));
}

} // namespace

const char* HLYFileFormatUInt64(std::uint64_t value, bool hex, char buffer[21])
{
    const unsigned base = hex ? 16 : 10;
    for (int i = 0; i < 21; ++i)
        buffer[i] = 0;
    int index = 19;
    do {
        const unsigned digit = unsigned(value % base);
        buffer[index--] = char(digit < 10 ? '0' + digit : 'a' + digit - 10);
        value /= base;
    } while (value != 0);
    return buffer + index + 1;
}

bool HLYFileInitWithPathMode(HLYFile* file, const char* path, bool append, bool buffered)
{
    if (!file) {
        HLYSDKLog("%s: Error: file is null\n", "HLYFileInitWithPathMode");
        return false;
    }
    *file = HLYFile {};
    if (!path) {
        HLYSDKLog("%s: Error: file descriptor invalid\n", "HLYFileInit");
        return false;
    }
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | (append ? O_APPEND : O_TRUNC);
    int descriptor = ::open(path, flags, 0644);
    struct stat status {};
    if (descriptor >= 0 && (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))) {
        ::close(descriptor);
        descriptor = -1;
        errno = EINVAL;
    }
    if (descriptor < 0) {
        HLYSDKLog("%s: Error: Unable to open file %s\n", "HLYFileInitWithPathMode", HLYErrorText(errno));
        HLYSDKLog("%s: Error: file descriptor invalid\n", "HLYFileInit");
        return false;
    }
    if (append)
        file->bytesWritten = std::uint64_t(status.st_size);
    if (buffered) {
        file->buffer = static_cast<char*>(std::malloc(kHLYFileBufferSize));
        file->buffered = file->buffer != nullptr;
    }
    file->descriptor = descriptor;
    return true;
}

bool HLYFileInitWithPath(HLYFile* file, const char* path, bool buffered)
{
    return HLYFileInitWithPathMode(file, path, true, buffered);
}

bool HLYFileClose(HLYFile* file) { return HLYFileCloseWithOffset(file, nullptr); }

bool HLYFileCloseWithOffset(HLYFile* file, std::uint64_t* bytesWritten)
{
    if (!HLYFileIsOpen(file))
        return false;
    if (file->buffered && file->bufferFill > 0)
        HLYFileFlushWriteBuffer(file);
    if (file->buffer) // crash-time files have none; not even free(nullptr) is called then
        std::free(file->buffer);
    file->buffer = nullptr;
    file->buffered = false;
    if (plausible(bytesWritten))
        *bytesWritten = file->bytesWritten;
    if (::close(file->descriptor) != 0) {
        HLYSDKLog("%s: Error: Unable to close file %s\n", "HLYFileCloseWithOffset", HLYErrorText(errno));
        return false;
    }
    *file = HLYFile {};
    return true;
}

bool HLYFileIsOpen(const HLYFile* file) { return plausible(file) && file->descriptor >= 0; }

void HLYFileFlushWriteBuffer(HLYFile* file)
{
    if (!HLYFileIsOpen(file) || !file->buffer)
        return;
    const ssize_t written = ::write(file->descriptor, file->buffer, std::size_t(file->bufferFill));
    if (written > 0)
        file->bytesWritten += std::uint64_t(written);
    file->bufferFill = 0;
}

void HLYFileWrite(HLYFile* file, const void* bytes, std::size_t length)
{
    if (!HLYFileIsOpen(file) || !bytes || length == 0)
        return;
    if (!file->buffered) {
        const ssize_t written = ::write(file->descriptor, bytes, length);
        if (written > 0)
            file->bytesWritten += std::uint64_t(written);
        return;
    }
    // The buffer holds at most 999 bytes of text and a terminating zero.
    const auto* source = static_cast<const char*>(bytes);
    while (file->bufferFill + length >= kHLYFileBufferSize) {
        const std::size_t part = kHLYFileBufferSize - 1 - std::size_t(file->bufferFill);
        std::memcpy(file->buffer + file->bufferFill, source, part);
        file->bufferFill += part;
        file->buffer[file->bufferFill] = '\0';
        HLYFileFlushWriteBuffer(file);
        source += part;
        length -= part;
    }
    std::memcpy(file->buffer + file->bufferFill, source, length);
    file->bufferFill += length;
    file->buffer[file->bufferFill] = '\0';
}

void HLYFileWriteSectionStart(HLYFile* file, const char* name)
{
    HLYFileWriteHashStart(file);
    HLYFileWriteHashKey(file, name);
}

void HLYFileWriteSectionEnd(HLYFile* file)
{
    HLYFileWriteHashEnd(file);
    HLYFileWrite(file, "\n", 1);
}

void HLYFileWriteHashStart(HLYFile* file) { openCollection(file, '{'); }
void HLYFileWriteHashEnd(HLYFile* file) { closeCollection(file, '}'); }
void HLYFileWriteArrayStart(HLYFile* file) { openCollection(file, '['); }
void HLYFileWriteArrayEnd(HLYFile* file) { closeCollection(file, ']'); }

void HLYFileWriteHashKey(HLYFile* file, const char* key)
{
    writeCommaIfNeeded(file);
    writeQuoted(file, key ? key : "", ":");
    file->needsComma = false;
}

void HLYFileWriteHashEntryUInt64(HLYFile* file, const char* key, std::uint64_t value)
{
    HLYFileWriteHashKey(file, key);
    writeUnsignedValue(file, value);
    file->needsComma = true;
}

void HLYFileWriteHashEntryInt64(HLYFile* file, const char* key, std::int64_t value)
{
    HLYFileWriteHashKey(file, key);
    HLYFileWriteInt64(file, value);
    file->needsComma = true;
}

void HLYFileWriteHashEntryString(HLYFile* file, const char* key, const char* value)
{
    HLYFileWriteHashKey(file, key);
    if (value)
        writeQuoted(file, value, nullptr);
    else
        writeLiteral(file, "null");
    file->needsComma = true;
}

void HLYFileWriteHashEntryStringUnlessEmpty(HLYFile* file, const char* key, const char* value)
{
    if (value && value[0])
        HLYFileWriteHashEntryString(file, key, value);
}

void HLYFileWriteHashEntryHexEncodedString(HLYFile* file, const char* key, const char* value)
{
    HLYFileWriteHashKey(file, key);
    if (value)
        writeHex(file, value);
    else
        writeLiteral(file, "null");
    file->needsComma = true;
}

void HLYFileWriteHashEntryBoolean(HLYFile* file, const char* key, bool value)
{
    HLYFileWriteHashKey(file, key);
    writeLiteral(file, value ? "true" : "false");
    file->needsComma = true;
}

void HLYFileWriteHashEntryNull(HLYFile* file, const char* key) { HLYFileWriteHashEntryString(file, key, nullptr); }

void HLYFileWriteArrayEntryUInt64(HLYFile* file, std::uint64_t value)
{
    writeCommaIfNeeded(file);
    writeUnsignedValue(file, value);
    file->needsComma = true;
}

void HLYFileWriteArrayEntryString(HLYFile* file, const char* value)
{
    writeCommaIfNeeded(file);
    if (value)
        writeQuoted(file, value, nullptr);
    else
        writeLiteral(file, "null");
    file->needsComma = true;
}

void HLYFileWriteArrayEntryHexEncodedString(HLYFile* file, const char* value)
{
    writeCommaIfNeeded(file);
    if (value)
        writeHex(file, value);
    else
        writeLiteral(file, "null");
    file->needsComma = true;
}

void HLYFileWriteArrayEntryNull(HLYFile* file) { HLYFileWriteArrayEntryString(file, nullptr); }

void HLYFileWriteUInt64(HLYFile* file, std::uint64_t value, bool hex)
{
    char buffer[21];
    writeLiteral(file, HLYFileFormatUInt64(value, hex, buffer));
}

void HLYFileWriteInt64(HLYFile* file, std::int64_t value)
{
    if (value < 0) {
        HLYFileWrite(file, "-", 1);
        HLYFileWriteUInt64(file, 0 - std::uint64_t(value), false);
    } else {
        HLYFileWriteUInt64(file, std::uint64_t(value), false);
    }
}

void HLYFileDescriptorWriteUInt64(int descriptor, std::uint64_t value, bool hex)
{
    char buffer[21];
    const char* digits = HLYFileFormatUInt64(value, hex, buffer);
    if (descriptor >= 0)
        (void)!::write(descriptor, digits, std::strlen(digits));
}

void HLYFileDescriptorWriteInt64(int descriptor, std::int64_t value)
{
    if (value < 0) {
        if (descriptor >= 0)
            (void)!::write(descriptor, "-", 1);
        HLYFileDescriptorWriteUInt64(descriptor, 0 - std::uint64_t(value), false);
    } else {
        HLYFileDescriptorWriteUInt64(descriptor, std::uint64_t(value), false);
    }
}

std::optional<Array> HLYFileReadSections(const char* path, bool deleteWhenUnreadable,
                                         const HLYFileSectionTransform& transform)
{
    if (!path)
        return std::nullopt;
    const auto contents = files::readOwnFile(path, kHLYRecordFileMaximumLength);
    if (!contents) {
        if (deleteWhenUnreadable)
            ::unlink(path);
        HLYSDKLog("%s: Unable to read file %s\n", "HLYFileReadSections", path);
        return std::nullopt;
    }
    Array sections;
    std::size_t start = 0;
    while (start <= contents->size()) {
        std::size_t end = contents->find('\n', start);
        if (end == std::string::npos)
            end = contents->size();
        const std::string_view line(contents->data() + start, end - start);
        start = end + 1;
        if (line.empty())
            continue;
        auto parsed = json::parse(line);
        if (!parsed.value)
            continue;
        if (transform) {
            auto transformed = transform(*parsed.value);
            if (!transformed)
                continue;
            sections.push_back(std::move(*transformed));
        } else {
            sections.push_back(std::move(*parsed.value));
        }
    }
    return sections;
}

} // namespace qlkit
