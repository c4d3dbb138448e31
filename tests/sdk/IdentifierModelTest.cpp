#include "SdkTestSupport.h"

#include "sdk/ElfImage.h"
#include "sdk/RIGApplicationIdentiferModel.h"
#include "sdk/TextForms.h"
#include "sdk/foundation/InfoDictionary.h"

#include <gtest/gtest.h>

using namespace qlkit;

TEST(RIGApplicationIdentiferModel, DescribesTheRunningExecutable)
{
    info::setMainInfoDictionary(Map {{"CFBundleIdentifier", "org/quiverleaf"}});
    RIGAppIconUtility::setApplicationIconPNG(test::pngHeader(512, 256));
    const auto model = RIGApplicationIdentiferModel::initWithInstallID("INSTALL");
    ASSERT_TRUE(model);
    RIGElfFile file;
    ASSERT_TRUE(RIGElfFileInitWithCurrentExecutable(&file));
    const std::string buildId = RIGElfFormatBuildID(*RIGElfFileGetBuildID(&file));
    RIGElfFileDestroy(&file);

    EXPECT_EQ(model->architectureUUIDMap(), (Map {{"x86_64", buildId}}));
    EXPECT_EQ(model->instanceIdentifier(), RIGSHA1HexStringFromData(buildId));
    EXPECT_EQ(model->installID(), "INSTALL");
    EXPECT_EQ(model->bundleIdentifier(), "org_quiverleaf");
    EXPECT_EQ(model->builtSDKString(), "0.0.0");
    EXPECT_EQ(model->minimumSDKString(), "0.0.0");
    ASSERT_TRUE(model->icon());
    EXPECT_EQ(model->icon()->size().width, 512);
    EXPECT_EQ(model->icon()->size().height, 256);
    EXPECT_EQ(model->icon()->dataHash(), RIGSHA1HexStringFromData(test::pngHeader(512, 256)));
    EXPECT_TRUE(model->icon()->prerendered());

    EXPECT_FALSE(RIGApplicationIdentiferModel::initWithInstallID("X", "/nonexistent"));
    RIGAppIconUtility::setApplicationIconPNG(std::nullopt);
}

TEST(RIGApplicationIdentiferModel, InstanceIdentifierFollowsSortedArchitectures)
{
    EXPECT_EQ(RIGApplicationIdentiferModel::instanceIdentifierForMap(Map {}), RIGSHA1HexStringFromData(""));
    EXPECT_EQ(RIGApplicationIdentiferModel::instanceIdentifierForMap(Map {{"x86_64", "bb"}, {"arm64", "aa"}}),
              RIGSHA1HexStringFromData("aabb"));
}

TEST(RIGIcon, SizesAndHashes)
{
    EXPECT_TRUE(RIGIcon("x", RIGSize {1024, 1024}).isWithinMaxSurfaceArea());
    EXPECT_FALSE(RIGIcon("x", RIGSize {1024, 1025}).isWithinMaxSurfaceArea());
    EXPECT_TRUE(RIGIcon("x", RIGSize {10, 10}).largerThanSize(RIGSize {9, 10}));
    const RIGIcon icon("data", RIGSize {1, 1}, false);
    EXPECT_EQ(icon.dataHash(), RIGSHA1HexStringFromData("data"));
    EXPECT_FALSE(icon.prerendered());
    EXPECT_FALSE(RIGIcon::fromPNG("not a png at all, but long enough"));
    EXPECT_FALSE(RIGIcon::fromPNG(test::pngHeader(0, 5)));
}
