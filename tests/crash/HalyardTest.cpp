// The kit as an application starts it: its delegate's say over earlier
// reports, and what it warns about. The kit's shared objects live as long as
// the process that starts them, so the test starts them in one of its own.
#include "ReportTestSupport.h"

#include "crash/kit/Halyard.h"
#include "crash/reports/HLYFileManager.h"
#include "crash/reports/HLYInternalReport.h"
#include "crash/reports/HLYReport.h"
#include "sdk/foundation/InfoDictionary.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

namespace fs = std::filesystem;

// Declines every report, and still implements an old callback.
class DecliningDelegate final : public HalyardDelegate {
public:
    bool implementsDidDetectReportForLastExecution() const override { return true; }
    void halyardDidDetectReportForLastExecution(const HLYReport& report, std::function<void(bool)> answer) override
    {
        seen.push_back(report.identifier().value_or(""));
        std::thread([answer] { answer(false); }).detach();
    }
    bool implementsDidDetectCrashDuringPreviousExecution() const override { return true; }
    void halyardDidDetectCrashDuringPreviousExecution(Halyard&) override { ++legacyCalls; }
    std::vector<std::string> seen;
    std::atomic<int> legacyCalls {0};
};

void startTheKitAndCheck()
{
    test::KitHome home;
    test::TestService service;
    info::setMainInfoDictionary(Map {{"CFBundleIdentifier", "org.quiverleaf.unit"},
                                     {"Rigging", Map {{"APIKey", "unit-key"}, {"Kits", Array {}}}},
                                     {"Halyard", Map {{"SettingsEndpoint", service.baseURL()},
                                                      {"ConfigureEndpoint", service.baseURL()},
                                                      {"ReportsEndpoint", service.baseURL()}}}});
    const HLYFileManager files;
    for (const char* id : {"old1", "old2"}) {
        fs::create_directories(files.activePath() / id);
        test::writeTextFile(files.activePath() / id / "metadata.hlyrecord",
                            std::string(R"({"identity":{"session_id":")") + id + "\"}}\n");
        test::writeTextFile(files.activePath() / id / "signal.hlyrecord", "{}\n");
    }
    const auto delegate = std::make_shared<DecliningDelegate>();
    testing::internal::CaptureStderr();
    const auto kit = Halyard::startWithAPIKey("0123456789abcdef0123456789abcdef01234567", delegate);
    ASSERT_TRUE(kit->isHalyardStarted());
    const auto& controller = kit->crashReportingController();
    for (int turn = 0; turn < 5; ++turn) {
        mainQueue()->sync([] {});
        controller->workQueue()->sync([] {});
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    kit->setDelegate(delegate);
    EXPECT_EQ(kit->developmentPlatformName(), std::nullopt);
    const std::string console = testing::internal::GetCapturedStderr();

    EXPECT_EQ(delegate->seen, (std::vector<std::string> {"old1", "old2"}));
    EXPECT_EQ(delegate->legacyCalls.load(), 2);
    EXPECT_FALSE(fs::exists(files.activePath() / "old1"));
    EXPECT_FALSE(fs::exists(files.activePath() / "old2"));
    EXPECT_TRUE(entriesOf(files.preparedPath()).empty());
    EXPECT_NE(console.find("[Halyard] Version 3.0.11 (58)"), std::string::npos);
    EXPECT_NE(console.find("implements deprecated methods.  Please see Halyard for details."), std::string::npos);
    EXPECT_NE(console.find("[Halyard] Warning, setting delegate after start."), std::string::npos);
    EXPECT_NE(console.find("[Halyard] developmentPlatformName is write-only"), std::string::npos);
    EXPECT_EQ(Halyard::sharedInstance(), kit);
    EXPECT_EQ(kit->version(), "3.0.11");
    EXPECT_EQ(kit->bundleIdentifier(), "org.quiverleaf.halyard");
    info::setMainInfoDictionary(std::nullopt);
}

} // namespace

TEST(Halyard, TheDelegateDecidesAboutEarlierReports)
{
    // Run anew from the program's start in a child, not forked off this one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            startTheKitAndCheck();
            std::fflush(nullptr);
            // The kit's threads still run: no exit-time destructors under them.
            std::_Exit(testing::Test::HasFailure() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}
