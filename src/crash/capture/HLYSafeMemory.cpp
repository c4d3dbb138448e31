#include "crash/capture/HLYSafeMemory.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

namespace qlkit {
namespace {

constexpr std::uintptr_t kLowestReadableAddress = 4096;
constexpr std::uintptr_t kPageSize = 4096;

// Where a sandbox refuses process_vm_readv, a pipe does the same job: write(2)
// from unreadable memory fails with EFAULT instead of faulting.
std::atomic<bool> g_useRemoteRead {true};

bool readThroughPipe(std::uintptr_t address, void* buffer, std::size_t length)
{
    int pipes[2];
    if (pipe2(pipes, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    bool ok = true;
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (ok && done < length) {
        std::size_t part = length - done;
        if (part > 4096)
            part = 4096; // stays within the pipe's capacity
        const ssize_t written = ::write(pipes[1], reinterpret_cast<const void*>(address + done), part);
        ok = written == ssize_t(part) && ::read(pipes[0], out + done, part) == ssize_t(part);
        done += part;
    }
    ::close(pipes[0]);
    ::close(pipes[1]);
    return ok;
}

} // namespace

bool HLYReadMemory(std::uintptr_t address, void* buffer, std::size_t length)
{
    if (address < kLowestReadableAddress || !buffer)
        return false;
    if (length == 0)
        return true;
    if (address + length < address)
        return false; // wraps around the address space
    if (g_useRemoteRead.load(std::memory_order_relaxed)) {
        iovec local {buffer, length};
        iovec remote {reinterpret_cast<void*>(address), length};
        const ssize_t got = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
        if (got == ssize_t(length))
            return true;
        if (got >= 0 || errno == EFAULT || errno == ESRCH)
            return false;
        g_useRemoteRead.store(false, std::memory_order_relaxed); // ENOSYS, EPERM: refused here
    }
    return readThroughPipe(address, buffer, length);
}

bool HLYReadWord(std::uintptr_t address, std::uint64_t* value)
{
    return HLYReadMemory(address, value, sizeof *value);
}

bool HLYReadString(std::uintptr_t address, char* buffer, std::size_t size)
{
    if (!buffer || size == 0)
        return false;
    buffer[0] = '\0';
    std::size_t copied = 0;
    while (copied + 1 < size) {
        const std::uintptr_t at = address + copied;
        std::size_t part = kPageSize - (at % kPageSize); // never across an unmapped page
        if (part > size - 1 - copied)
            part = size - 1 - copied;
        if (!HLYReadMemory(at, buffer + copied, part))
            return copied > 0;
        for (std::size_t i = 0; i < part; ++i) {
            if (buffer[copied + i] == '\0')
                return true;
        }
        copied += part;
        buffer[copied] = '\0';
    }
    buffer[copied] = '\0';
    return true;
}

bool HLYCheckReadableString(std::uintptr_t address, const char** out, std::size_t maximum)
{
    if (maximum == 0) {
        if (out)
            *out = reinterpret_cast<const char*>(address);
        return true;
    }
    if (address < kLowestReadableAddress)
        return false;
    // Page by page: a string may end just before an unmapped page.
    std::size_t checked = 0;
    char chunk[256];
    while (checked < maximum) {
        const std::uintptr_t at = address + checked;
        if (at < address)
            return false; // wrapped
        std::size_t part = kPageSize - (at % kPageSize);
        if (part > sizeof chunk)
            part = sizeof chunk;
        if (part > maximum - checked)
            part = maximum - checked;
        if (!HLYReadMemory(at, chunk, part))
            return false;
        for (std::size_t i = 0; i < part; ++i) {
            if (chunk[i] == '\0') {
                if (out)
                    *out = reinterpret_cast<const char*>(address);
                return true;
            }
        }
        checked += part;
    }
    if (out)
        *out = reinterpret_cast<const char*>(address);
    return true;
}

} // namespace qlkit
