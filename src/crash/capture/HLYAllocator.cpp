#include "crash/capture/HLYAllocator.h"

#include "crash/capture/HLYHost.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYUtilities.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace qlkit {
namespace {

constexpr std::size_t kAllocatorRecordRoom = 64;

std::size_t roundUp(std::size_t size)
{
    return (size + kHLYAllocationAlignment - 1) & ~(kHLYAllocationAlignment - 1);
}

void* heapFallback(std::size_t size) { return std::calloc(1, size ? size : 1); }

} // namespace

std::size_t HLYAllocatorWritableRegionSize(std::size_t request, std::size_t pageSize)
{
    return request == 0 ? 0 : (request / pageSize + 1) * pageSize;
}

std::size_t HLYAllocatorProtectedRegionSize(std::size_t request, std::size_t pageSize)
{
    return ((request + kAllocatorRecordRoom) / pageSize + 1) * pageSize;
}

HLYAllocator* HLYAllocatorCreate(std::size_t writableSize, std::size_t protectedSize)
{
    const std::size_t page = HLYHostGetPageSize();
    const std::size_t writable = HLYAllocatorWritableRegionSize(writableSize, page);
    const std::size_t protectedBytes = HLYAllocatorProtectedRegionSize(protectedSize, page);
    const std::size_t total = 3 * page + writable + protectedBytes;

    void* mapping = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        HLYSDKLog("%s: Mapping failed %s\n", "HLYAllocatorCreate", HLYErrorText(errno));
        return nullptr;
    }
    const auto base = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t writableStart = base + page;
    const std::uintptr_t middleGuard = writableStart + writable;
    const std::uintptr_t protectedStart = middleGuard + page;
    const std::uintptr_t lastGuard = protectedStart + protectedBytes;
    HLYSDKLog("%s: Mapping: %p %p %p, total: %zu K\n", "HLYAllocatorCreate", reinterpret_cast<void*>(base),
              reinterpret_cast<void*>(writableStart), reinterpret_cast<void*>(protectedStart));

    if (mprotect(mapping, page, PROT_NONE) != 0) {
        HLYSDKLog("%s: First guard protection failed %s\n", "HLYAllocatorCreate", HLYErrorText(errno));
        return nullptr;
    }
    if (mprotect(reinterpret_cast<void*>(middleGuard), page, PROT_NONE) != 0) {
        HLYSDKLog("%s: Middle guard protection failed %s\n", "HLYAllocatorCreate", HLYErrorText(errno));
        return nullptr;
    }
    if (mprotect(reinterpret_cast<void*>(lastGuard), page, PROT_NONE) != 0) {
        HLYSDKLog("%s: Last guard protection failed %s\n", "HLYAllocatorCreate", HLYErrorText(errno));
        return nullptr;
    }

    HLYAllocatorRegion protectedRegion {};
    protectedRegion.size = protectedBytes;
    protectedRegion.start = protectedStart;
    protectedRegion.next.store(protectedStart);
    void* record = HLYAllocatorSafeAllocateFromRegion(&protectedRegion, sizeof(HLYAllocator));
    auto* allocator = new (record) HLYAllocator;
    allocator->mappingBase = base;
    allocator->isProtected.store(0);
    allocator->writable.size = writable;
    allocator->writable.start = writableStart;
    allocator->writable.next.store(writableStart);
    allocator->protectedRegion.size = protectedRegion.size;
    allocator->protectedRegion.start = protectedRegion.start;
    allocator->protectedRegion.next.store(protectedRegion.next.load());
    return allocator;
}

void* HLYAllocatorSafeAllocate(HLYAllocator* allocator, std::size_t size, int kind)
{
    if (kind != HLYAllocationProtected && kind != HLYAllocationWritable)
        return nullptr;
    if (!allocator) {
        HLYSDKLog("%s: Allocator invalid, falling back to malloc\n", "HLYAllocatorSafeAllocate");
        return heapFallback(size);
    }
    // Sealing makes the allocator's own record read-only too: no region can
    // hand out memory afterwards.
    if (allocator->isProtected.load()) {
        HLYSDKLog("%s: Allocator already protected, falling back to malloc\n", "HLYAllocatorSafeAllocate");
        return heapFallback(size);
    }
    return HLYAllocatorSafeAllocateFromRegion(
        kind == HLYAllocationProtected ? &allocator->protectedRegion : &allocator->writable, size);
}

void* HLYAllocatorSafeAllocateFromRegion(HLYAllocatorRegion* region, std::size_t size)
{
    const std::size_t rounded = roundUp(size);
    std::uintptr_t next = region->next.load();
    for (;;) {
        const std::uintptr_t candidate = next + rounded;
        if (rounded < size || candidate - region->start > region->size) {
            HLYSDKLog("%s: Unable to allocate sufficient memory, falling back to malloc\n",
                      "HLYAllocatorSafeAllocateFromRegion");
            return heapFallback(size);
        }
        if (region->next.compare_exchange_weak(next, candidate, std::memory_order_seq_cst))
            return reinterpret_cast<void*>(next); // fresh anonymous pages are zero
    }
}

bool HLYAllocatorProtect(HLYAllocator* allocator)
{
    if (!allocator)
        return false;
    if (allocator->isProtected.load())
        return true;
    allocator->isProtected.store(1);
    return mprotect(reinterpret_cast<void*>(allocator->protectedRegion.start),
                    std::size_t(allocator->protectedRegion.size), PROT_READ)
           == 0;
}

bool HLYAllocatorUnprotect(HLYAllocator* allocator)
{
    if (!allocator)
        return false;
    const std::size_t page = HLYHostGetPageSize();
    const std::size_t total = 3 * page + std::size_t(allocator->writable.size) + std::size_t(allocator->protectedRegion.size);
    const bool failed = mprotect(reinterpret_cast<void*>(allocator->mappingBase), total, PROT_READ | PROT_WRITE) != 0;
    if (!failed)
        allocator->isProtected.store(0);
    return !failed;
}

void HLYAllocatorFree(HLYAllocator*) {}

void HLYAllocatorSafeFree(HLYAllocator* allocator, void* pointer)
{
    if (!allocator)
        std::free(pointer);
}

} // namespace qlkit
