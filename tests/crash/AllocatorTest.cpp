// The guarded mapping the crash paths allocate from.
#include "crash/capture/HLYAllocator.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace qlkit;

namespace {

bool insideMapping(const HLYAllocator* allocator, const void* pointer)
{
    const auto address = reinterpret_cast<std::uintptr_t>(pointer);
    const std::uintptr_t end = allocator->protectedRegion.start + allocator->protectedRegion.size;
    return address >= allocator->mappingBase && address < end;
}

} // namespace

TEST(Allocator, RegionsAreWholePagesWithOneToSpare)
{
    constexpr std::size_t page = 4096;
    EXPECT_EQ(HLYAllocatorWritableRegionSize(0, page), 0u);
    EXPECT_EQ(HLYAllocatorWritableRegionSize(1, page), page);
    EXPECT_EQ(HLYAllocatorWritableRegionSize(page, page), 2 * page); // an exact multiple still gets a page more
    EXPECT_EQ(HLYAllocatorProtectedRegionSize(page - 64, page), 2 * page);
    // The original request sizes: 548,864 and 20,480 bytes, 568 KiB mapped.
    EXPECT_EQ(HLYAllocatorWritableRegionSize(544848, page), 548864u);
    EXPECT_EQ(HLYAllocatorProtectedRegionSize(17008, page), 20480u);
    EXPECT_EQ(3 * page + 548864 + 20480, 581632u);
}

TEST(Allocator, AllocationsAreAlignedZeroedAndFallBackToTheHeap)
{
    HLYAllocator* allocator = HLYAllocatorCreate(3 * 4096, 1000);
    ASSERT_NE(allocator, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(allocator) % kHLYAllocationAlignment, 0u);
    for (const std::size_t size : {1u, 3u, 17u, 40u}) {
        auto* block = static_cast<unsigned char*>(HLYAllocatorSafeAllocate(allocator, size, HLYAllocationWritable));
        ASSERT_TRUE(insideMapping(allocator, block));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % kHLYAllocationAlignment, 0u);
        for (std::size_t i = 0; i < size; ++i)
            EXPECT_EQ(block[i], 0);
        std::memset(block, 0xAB, size);
    }
    EXPECT_EQ(HLYAllocatorSafeAllocate(allocator, 8, 2), nullptr);

    // More than the region holds comes from the heap.
    void* large = HLYAllocatorSafeAllocate(allocator, 64 * 1024, HLYAllocationWritable);
    ASSERT_NE(large, nullptr);
    EXPECT_FALSE(insideMapping(allocator, large));
    std::free(large); // heap fallbacks are the caller's to free

    void* sealedBefore = HLYAllocatorSafeAllocate(allocator, 32, HLYAllocationProtected);
    EXPECT_TRUE(insideMapping(allocator, sealedBefore));
    EXPECT_TRUE(HLYAllocatorProtect(allocator));
    EXPECT_TRUE(HLYAllocatorProtect(allocator)); // once is enough
    for (const int kind : {HLYAllocationProtected, HLYAllocationWritable}) {
        void* afterSealing = HLYAllocatorSafeAllocate(allocator, 32, kind);
        ASSERT_NE(afterSealing, nullptr);
        EXPECT_FALSE(insideMapping(allocator, afterSealing));
        std::free(afterSealing);
    }
    void* withoutAllocator = HLYAllocatorSafeAllocate(nullptr, 16, HLYAllocationWritable);
    EXPECT_NE(withoutAllocator, nullptr);
    HLYAllocatorSafeFree(nullptr, withoutAllocator);
}

namespace {

// A sanitised build reports the fault itself and exits with 1.
bool diedOfTheFault(int status)
{
#if defined(__SANITIZE_ADDRESS__)
    if (WIFEXITED(status) && WEXITSTATUS(status) == 1)
        return true;
#endif
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV;
}

} // namespace

TEST(AllocatorDeathTest, GuardPagesAndSealedMemoryCannotBeWritten)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            HLYAllocator* allocator = HLYAllocatorCreate(4096, 64);
            *reinterpret_cast<volatile char*>(allocator->writable.start - 1) = 1; // first guard page
        },
        diedOfTheFault, "");
    EXPECT_EXIT(
        {
            HLYAllocator* allocator = HLYAllocatorCreate(4096, 64);
            *reinterpret_cast<volatile char*>(allocator->writable.start + allocator->writable.size) = 1; // middle guard
        },
        diedOfTheFault, "");
    EXPECT_EXIT(
        {
            HLYAllocator* allocator = HLYAllocatorCreate(4096, 64);
            auto* sealed = static_cast<volatile char*>(HLYAllocatorSafeAllocate(allocator, 16, HLYAllocationProtected));
            HLYAllocatorProtect(allocator);
            *sealed = 1;
        },
        diedOfTheFault, "");
}
