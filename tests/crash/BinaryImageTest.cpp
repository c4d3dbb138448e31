// Image records: look-up bounds, and the crash-time reader (safe reads of
// mapped images) against the set-up reader and readelf.
#include "CrashTestSupport.h"

#include "crash/capture/HLYBinaryImage.h"
#include "crash/capture/HLYElfMemory.h"
#include "sdk/ElfImage.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace qlkit;
using namespace qlkit::crashtest;

TEST(BinaryImage, AnAddressIsInsideItsImageUpToButNotIncludingTheEnd)
{
    HLYBinaryImageNode nodes[3] {};
    nodes[1].base.store(0x10000);
    nodes[1].size = 0x1000;
    nodes[1].ehFrameHeader = 0x10800;
    HLYBinaryImageNode found {};
    EXPECT_TRUE(HLYBinaryImageFindInTable(nodes, 3, 0x10000, &found));
    EXPECT_EQ(found.base.load(), 0x10000u);
    EXPECT_EQ(found.ehFrameHeader, 0x10800u);
    EXPECT_TRUE(HLYBinaryImageFindInTable(nodes, 3, 0x10FFF, nullptr));
    EXPECT_FALSE(HLYBinaryImageFindInTable(nodes, 3, 0x11000, nullptr));
    EXPECT_FALSE(HLYBinaryImageFindInTable(nodes, 3, 0xFFFF, nullptr));
    EXPECT_FALSE(HLYBinaryImageFindInTable(nodes, 3, 0, nullptr));
    // A freed node (base 0) matches nothing.
    nodes[1].base.store(0);
    EXPECT_FALSE(HLYBinaryImageFindInTable(nodes, 3, 0x10010, nullptr));
    // Before set-up the capture core's own look-up answers nothing.
    EXPECT_FALSE(HLYBinaryImageForAddress(reinterpret_cast<std::uintptr_t>(&HLYBinaryImageRefresh), nullptr));
}

TEST(BinaryImage, TheCrashTimeReaderAgreesWithTheSetUpReaderAndReadelf)
{
    int compared = 0;
    RIGElfEnumerateLoadedImages([&](const RIGElfImage& image, bool&) {
        HLYBinaryImageDetails expected;
        if (!HLYBinaryImageFillDetails(image, &expected))
            return;
        HLYBinaryImageDetails read;
        ASSERT_TRUE(HLYElfMemoryReadDetails(image.loadBias, &read)) << image.path;
        EXPECT_EQ(read.base, expected.base) << image.path;
        EXPECT_EQ(read.size, expected.size) << image.path;
        EXPECT_EQ(read.ehFrameHeader, expected.ehFrameHeader) << image.path;
        EXPECT_EQ(read.ehFrame, expected.ehFrame) << image.path;
        EXPECT_STREQ(read.uuid, expected.uuid) << image.path;
        if (image.path && image.path[0] == '/') {
            EXPECT_EQ(std::string(expected.uuid), readelfBuildID(image.path)) << image.path;
        }
        ++compared;
    });
    EXPECT_GE(compared, 3); // the test program, the C and C++ libraries at least
    HLYBinaryImageDetails none;
    EXPECT_FALSE(HLYElfMemoryReadDetails(0x10, &none));

    HLYBinaryImageDetails self;
    ASSERT_TRUE(HLYBinaryImageFillDetails(RIGElfImageGetMainExecutable(), &self));
    HLYBinaryImageDetails byID;
    ASSERT_TRUE(HLYBinaryImageFindImageForUUID(self.uuid, &byID));
    EXPECT_EQ(byID.base, self.base);
    EXPECT_FALSE(HLYBinaryImageFindImageForUUID("00", &byID));
}
