#include "crash/capture/HLYUtilities.h"

#include "crash/capture/HLYAllocator.h"
#include "crash/capture/HLYContext.h"
#include "sdk/TextForms.h"
#include "sdk/foundation/Dispatch.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

namespace qlkit {
namespace {

std::atomic<std::uint64_t> g_profileStart {0};

// The mark is the process start: taken while the program loads.
[[gnu::constructor]] void markProcessStart() { HLYProfileMark(); }

} // namespace

const char* HLYDuplicateString(const char* text)
{
    if (!text)
        return nullptr;
    const std::size_t length = std::strlen(text);
    auto* copy = static_cast<char*>(HLYContextAllocate(length + 1, HLYAllocationProtected));
    if (!copy)
        return nullptr;
    std::memcpy(copy, text, length + 1);
    return copy;
}

bool HLYUnlinkIfExists(const char* path)
{
    if (!path)
        return false;
    return ::unlink(path) == 0 || errno == ENOENT;
}

const char* HLYErrorText(int error)
{
    const char* text = strerrordesc_np(error);
    return text ? text : "Unknown error";
}

long HLYReadFileIntoBuffer(const char* path, char* buffer, std::size_t size)
{
    if (!path || !buffer || size == 0)
        return -1;
    buffer[0] = '\0';
    const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    std::size_t fill = 0;
    while (fill + 1 < size) {
        const ssize_t got = ::read(descriptor, buffer + fill, size - 1 - fill);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        fill += std::size_t(got);
    }
    ::close(descriptor);
    buffer[fill] = '\0';
    return long(fill);
}

std::uint64_t HLYMonotonicNanoseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::uint64_t(now.tv_sec) * 1000000000ull + std::uint64_t(now.tv_nsec);
}

void HLYDladdrWithBlock(const void* address, const std::function<void(const char*, const char*)>& block)
{
    if (!block)
        return;
    Dl_info info {};
    if (!dladdr(address, &info)) {
        block(nullptr, nullptr);
        return;
    }
    block(info.dli_sname ? info.dli_sname : "unknown", info.dli_fname ? info.dli_fname : "unknown");
}

void HLYHexFromByte(std::uint8_t byte, char* out) { RIGHexFromByte(byte, out); }
void HLYHexFromBytes(const std::uint8_t* bytes, std::size_t count, char* out) { RIGHexFromBytes(bytes, count, out); }
std::string HLYHexStringFromData(std::string_view data) { return RIGHexStringFromData(data); }
std::string HLYSHA1HexStringFromBytes(const void* bytes, std::uint32_t length) { return RIGSHA1HexStringFromBytes(bytes, length); }
std::string HLYSHA1HexStringFromData(std::string_view data) { return RIGSHA1HexStringFromData(data); }
std::string HLYGenerateUUIDString() { return RIGGenerateUUIDString(); }

std::string HLYNormalizeUUIDString(std::string_view text)
{
    std::string normalized;
    normalized.reserve(text.size());
    for (const char c : text)
        if (c != '-')
            normalized += char(std::tolower(static_cast<unsigned char>(c)));
    return normalized;
}

std::string HLYGenerateNormalizedUUIDString() { return HLYNormalizeUUIDString(HLYGenerateUUIDString()); }

void HLYDispatchAfter(const std::shared_ptr<DispatchQueue>& queue, std::function<void()> block, double seconds)
{
    if (queue && block)
        queue->after(seconds, std::move(block));
}

void HLYProfileMark() { g_profileStart.store(HLYMonotonicNanoseconds()); }

double HLYProfileMillisecondsSinceMark(std::uint64_t mark)
{
    return double(HLYMonotonicNanoseconds() - mark) / 1000000.0;
}

double HLYProfileMillisecondsSinceStart() { return HLYProfileMillisecondsSinceMark(g_profileStart.load()); }

void HLYProfileBlock(const char* name, const std::function<void()>& block)
{
    const std::uint64_t start = HLYMonotonicNanoseconds();
    if (block)
        block();
    std::fprintf(stderr, "[Profile] %s: %f ms\n", name ? name : "", HLYProfileMillisecondsSinceMark(start));
}

} // namespace qlkit
