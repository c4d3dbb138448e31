// One private anonymous mapping for everything the crash paths need,
// prepared before any crash: guard page, writable region, guard page,
// protected region (read-only once set-up ends), guard page. Allocation bumps
// a pointer with compare-and-swap, so any thread may allocate during set-up.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace qlkit {

struct HLYAllocatorRegion {
    std::uint64_t size;
    std::uintptr_t start;
    std::atomic<std::uintptr_t> next; // only grows
};

struct HLYAllocator {
    std::uintptr_t mappingBase;
    std::atomic<std::uint8_t> isProtected;
    HLYAllocatorRegion writable;
    HLYAllocatorRegion protectedRegion;
};

enum HLYAllocationKind : int {
    HLYAllocationProtected = 0,
    HLYAllocationWritable = 1,
};

// Allocations are rounded up to this, so atomics inside them stay aligned.
inline constexpr std::size_t kHLYAllocationAlignment = 16;

HLYAllocator* HLYAllocatorCreate(std::size_t writableSize, std::size_t protectedSize);
// Zeroed memory of the kind; heap memory (logged) when the allocator is
// missing, sealed or full; null for an unknown kind.
void* HLYAllocatorSafeAllocate(HLYAllocator* allocator, std::size_t size, int kind);
void* HLYAllocatorSafeAllocateFromRegion(HLYAllocatorRegion* region, std::size_t size);
bool HLYAllocatorProtect(HLYAllocator* allocator);
bool HLYAllocatorUnprotect(HLYAllocator* allocator);
// The mapping lives as long as the process.
void HLYAllocatorFree(HLYAllocator* allocator);
void HLYAllocatorSafeFree(HLYAllocator* allocator, void* pointer);

// Region sizes for a request of n bytes, in whole pages with one to spare.
std::size_t HLYAllocatorWritableRegionSize(std::size_t request, std::size_t pageSize);
std::size_t HLYAllocatorProtectedRegionSize(std::size_t request, std::size_t pageSize);

} // namespace qlkit
