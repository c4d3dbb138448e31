#include "sdk/ApplicationInfo.h"
#include "sdk/HostInfo.h"
#include "sdk/TextForms.h"
#include "sdk/foundation/InfoDictionary.h"

#include <gtest/gtest.h>
#include <regex>

using namespace qlkit;

TEST(TextForms, HexDigestsMatchTheStandardVectors)
{
    char out[5] = {'x', 'x', 'x', 'x', 'x'};
    const std::uint8_t bytes[] = {0x0F, 0xA0};
    RIGHexFromBytes(bytes, 2, out);
    EXPECT_EQ(std::string(out, 5), std::string("0fa0\0", 5));
    RIGHexFromBytes(nullptr, 2, out); // zeroes only
    EXPECT_EQ(std::string(out, 5), std::string(5, '\0'));
    EXPECT_EQ(RIGHexStringFromData(""), "");

    EXPECT_EQ(RIGSHA1HexStringFromData("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(RIGSHA1HexStringFromData(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(RIGSHA1HexStringFromData("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(RIGSHA1HexStringFromData(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(TextForms, UuidStringsHaveTheCanonicalForms)
{
    const std::regex canonical("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    const std::string first = RIGGenerateUUIDString();
    EXPECT_TRUE(std::regex_match(first, canonical)) << first;
    EXPECT_NE(first, RIGGenerateUUIDString());
    std::uint8_t bytes[16];
    for (int i = 0; i < 16; ++i)
        bytes[i] = std::uint8_t(i * 17);
    EXPECT_EQ(RIGHexStringFromUUIDBytes(bytes), "00112233445566778899aabbccddeeff");
}

TEST(ApplicationInfo, ReadsTheRegisteredInfoDictionary)
{
    info::setMainInfoDictionary(Map {{"CFBundleIdentifier", "org/quiverleaf/app"}, {"CFBundleVersion", "42"}});
    EXPECT_EQ(RIGApplicationBundleIdentifier(), "org_quiverleaf_app");
    EXPECT_EQ(RIGApplicationName(), "42"); // neither display name nor name
    EXPECT_EQ(RIGApplicationDisplayVersion(), std::nullopt);
    EXPECT_EQ(RIGApplicationInstallSource(), 1);
    EXPECT_TRUE(RIGCanCollectDeviceIdentifiers());

    info::setMainInfoDictionary(Map {{"CFBundleName", "Quiverleaf"},
                                     {"HalyardSignedForDistribution", true},
                                     {"HalyardCollectDeviceIdentifiers", true},
                                     {"Rigging", Map {{"ReportIdentifiers", false}}}});
    EXPECT_EQ(RIGApplicationName(), "Quiverleaf");
    EXPECT_EQ(RIGApplicationInstallSource(), 3);
    EXPECT_FALSE(RIGCanCollectDeviceIdentifiers()); // the "Rigging" entry wins
    info::setMainInfoDictionary(std::nullopt);
    EXPECT_EQ(RIGApplicationBundleIdentifier(), std::nullopt);
}

TEST(HostInfo, ReportsTheRunningSystem)
{
    EXPECT_EQ(RIGOperatingSystemReleaseNumberForMinor(7), 1070u);
    EXPECT_EQ(RIGOperatingSystemReleaseNumberForMinor(11), 101100u);
    EXPECT_EQ(RIGOperatingSystemReleaseNumberForMinor(12), 0u);
    EXPECT_EQ(RIGOperatingSystemReleaseNumberForMinor(5), 0u);
    EXPECT_TRUE(std::regex_match(RIGHostOSDisplayVersion(), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")));
    EXPECT_GT(RIGOperatingSystemVersion().major, 0);
    ASSERT_TRUE(RIGHostModel().has_value());
    EXPECT_FALSE(RIGHostModel()->empty());
    ASSERT_TRUE(RIGHostOSBuildVersion().has_value());
    EXPECT_EQ(RIGHostOSBuildVersion()->front(), '#');
    EXPECT_EQ(RIGSysctlString("kernel.ostype"), "Linux");
    EXPECT_EQ(RIGSysctlString("no.such.fact"), std::nullopt);
    EXPECT_EQ(RIGSysctlString("../../etc/passwd"), std::nullopt);
}
