// The beta update check, which runs only with a beta token: none exists on
// this platform, so the test hands one in.
#include "ReportTestSupport.h"

#include "crash/kit/HLYBetaController.h"
#include "sdk/foundation/Clock.h"
#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/Log.h"
#include "sdk/foundation/NotificationCenter.h"
#include "sdk/settings/RIGSettingsOnboardingManager.h"

#include <gtest/gtest.h>
#include <thread>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

constexpr const char* kBetaPath = "/spi/v2/platforms/linux/apps/org.quiverleaf.unit/beta_update_check";

class BetaDelegate final : public HLYBetaControllerDelegate {
public:
    std::optional<std::string> APIKeyForBetaController() override { return "unit-key"; }
    HLYSettings settingsForBetaController() override { return HLYSettings(std::nullopt); }
};

} // namespace

TEST(BetaController, WithATokenAnEmptyAnswerSuspendsChecksForAnHour)
{
    test::KitHome home;
    test::TestService service;
    info::setMainInfoDictionary(Map {{"CFBundleIdentifier", "org.quiverleaf.unit"},
                                     {"CFBundleVersion", "7"},
                                     {"CFBundleShortVersionString", "1.2"},
                                     {"HalyardSignedForDistribution", true},
                                     {"Halyard", Map {{"BetaEndpoint", service.baseURL()}}}});
    ASSERT_TRUE(HLYBetaController::isBetaSupported());
    const auto delegate = std::make_shared<BetaDelegate>();

    // No token, no check.
    EXPECT_FALSE(HLYBetaController::create(delegate)->start());
    NotificationCenter::defaultCenter().post(kRIGSettingsAvailableNotification);

    auto clock = std::make_shared<VirtualClock>();
    Clock::setShared(clock);
    log::setDebug(true);
    service.script({{"GET", kBetaPath, {acceptedAnswer()}}});
    HLYBetaController::setBetaTokenSource([] { return std::optional<std::string>("beta-token"); });
    const auto beta = HLYBetaController::create(delegate);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(beta->start());
    NotificationCenter::defaultCenter().post(kRIGSettingsAvailableNotification);
    for (int i = 0; i < 400 && !beta->checksSuspended(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    beta->queue()->sync([] {});
    const std::string console = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(beta->checksSuspended());
    EXPECT_FALSE(beta->retrying());
    EXPECT_NE(console.find("[Halyard:Beta] Beta update url is invalid"), std::string::npos) << console;
    EXPECT_EQ(beta->activeUpdate(), std::nullopt);

    const auto log = service.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(test::logString(log[0], "path"), kBetaPath);
    const std::string query = test::logString(log[0], "query");
    EXPECT_EQ(query.rfind("build_version=7&display_version=1.2&instance=", 0), 0u) << query;
    EXPECT_TRUE(query.ends_with("&source=3")) << query;
    auto headers = test::logHeaderNames(log[0]);
    std::erase(headers, "Host");
    EXPECT_EQ(headers, (std::vector<std::string> {"User-Agent", "Accept", "Accept-Charset", "Accept-Language",
                                                  "Content-Language", "X-Halyard-Developer-Token",
                                                  "X-Halyard-API-Client-Id", "X-Halyard-API-Client-Display-Version",
                                                  "X-Halyard-API-Client-Build-Version", "X-Halyard-API-Key",
                                                  "X-Halyard-Beta-Token"}));
    EXPECT_EQ(test::logHeader(log[0], "X-Halyard-Beta-Token"), "beta-token");

    // An hour later checks are allowed again.
    const auto delays = clock->requestedDelays();
    EXPECT_NE(std::find(delays.begin(), delays.end(), 3600.0), delays.end());
    clock->advance(3600);
    mainQueue()->sync([] {});
    EXPECT_FALSE(beta->checksSuspended());

    HLYBetaController::setBetaTokenSource(nullptr);
    log::setDebug(false);
    Clock::setShared(nullptr);
    info::setMainInfoDictionary(std::nullopt);
}
