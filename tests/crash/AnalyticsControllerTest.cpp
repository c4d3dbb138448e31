// The analytics controller in this process, against the test service on
// 127.0.0.1, with the kit's clock virtual: retries of minutes, timers and
// fragment switches that miss their wait run in microseconds.
#include "TestService.h"

#include "crash/Tally/HLYAnalyticsController.h"
#include "crash/Tally/HLYEventLog/HLYAnalyticsApplicationLifecycleEvent.h"
#include "crash/Tally/HLYTallyEvents.h"
#include "sdk/HLYUserDefaults.h"
#include "sdk/foundation/Clock.h"
#include "sdk/foundation/FileOps.h"

#include <future>
#include <gtest/gtest.h>

using namespace qlkit;
using Repository = HLYEventLogSessionRepository;
namespace fs = std::filesystem;

namespace {

constexpr const char* kUploadPath = "/analytics";

// The real client, with every outcome kept for the test to see.
class RecordingNetworkingClient final : public HLYAnalyticsNetworkingClient {
public:
    void transmitLogFilesAtURLs(const std::vector<fs::path>& files, const std::string& url, const std::string& key,
                                Completion completion) override
    {
        HLYAnalyticsNetworkingClient::transmitLogFilesAtURLs(files, url, key, [this, completion](const auto& error) {
            {
                std::lock_guard lock(mutex);
                outcomes.push_back(error ? error->code : 0);
            }
            completion(error);
        });
    }
    std::vector<long> takeOutcomes()
    {
        std::lock_guard lock(mutex);
        return std::exchange(outcomes, {});
    }

private:
    std::mutex mutex;
    std::vector<long> outcomes;
};

class AnalyticsController : public testing::Test {
protected:
    void SetUp() override { Clock::setShared(clock); }
    void TearDown() override
    {
        controller.reset();
        Clock::setShared(nullptr);
    }

    void start(Map analytics, bool collect = true)
    {
        HLYAnalyticsController::Collaborators collaborators;
        collaborators.userDefaults = &defaults;
        collaborators.networkingClient = network;
        controller = HLYAnalyticsController::create("SESSION", 1700000000000, root(), std::nullopt, collaborators);
        ASSERT_TRUE(controller);
        apply(std::move(analytics), collect);
    }
    void apply(Map analytics, bool collect = true)
    {
        analytics.set("url", service.baseURL() + kUploadPath);
        controller->setSettings(Value(Map {{"features", Map {{"collect_analytics", collect}}}, {"analytics", analytics}}));
        controller->sessionMaintenanceQueue()->sync([] {});
    }
    void answer(long status) const { service.script({{"POST", kUploadPath, {{status, {}, ""}}}}); }
    // Steps virtual time until the work is done. Time moves only while no
    // step runs, so that a fragment switch never misses its wait by accident.
    template <class T>
    T drive(std::future<T>& future)
    {
        while (future.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            controller->sessionMaintenanceQueue()->sync([] {});
            if (clock->waitForPending(1, std::chrono::milliseconds(20)))
                clock->advanceToNext();
        }
        return future.get();
    }
    std::optional<KitError> maintain()
    {
        std::promise<std::optional<KitError>> done;
        auto future = done.get_future();
        controller->maintainSessionFragments([&done](const auto& error) { done.set_value(error); });
        return drive(future);
    }
    void logLaunch() const
    {
        controller->logEvent(HLYAnalyticsApplicationLifecycleEvent::initApplicationLaunchedEventWithTimestamp(1, "ID"));
    }
    fs::path root() const { return home.path() / "analytics"; }
    fs::path state(const char* name) const { return root() / "v1" / name; }
    std::vector<fs::path> fragments(const char* name) const
    {
        return controller->sessionFragmentDirectoryURLsForStateName(name, nullptr).value_or(std::vector<fs::path> {});
    }
    std::size_t uploads() const { return service.log().size(); }
    std::vector<double> retryWaits() const
    {
        auto delays = clock->requestedDelays();
        std::erase_if(delays, [](double delay) { return delay < 100; }); // fragment switches wait 5 s
        return delays;
    }

    test::KitHome home;
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>(1700000000.0);
    HLYUserDefaults defaults {home.path() / "defaults"};
    std::shared_ptr<RecordingNetworkingClient> network = std::make_shared<RecordingNetworkingClient>();
    test::TestService service;
    std::shared_ptr<HLYAnalyticsController> controller;
};

} // namespace

TEST_F(AnalyticsController, UploadsKeepFragmentsUntilTheServiceTakesThem)
{
    answer(503);
    start({{"max_pending_send_file_count", 100}});
    logLaunch();
    std::promise<std::optional<KitError>> first;
    auto firstDone = first.get_future();
    controller->maintainSessionFragments([&first](const auto& error) { first.set_value(error); });
    // The first upload waits out its retries; a second upload meanwhile is refused.
    ASSERT_TRUE(clock->waitForPending(3, std::chrono::seconds(10)));
    std::promise<std::optional<KitError>> second;
    auto secondDone = second.get_future();
    controller->transmitPackagedSessionFragments([&second](const auto& error) { second.set_value(error); });
    EXPECT_EQ(secondDone.get()->code, HLYAnalyticsController::kErrorUploadUnderWay);
    EXPECT_FALSE(drive(firstDone));

    EXPECT_EQ(uploads(), 11u);
    EXPECT_EQ(network->takeOutcomes(), std::vector<long> {-6});
    const auto waits = retryWaits();
    ASSERT_EQ(waits.size(), 10u);
    for (std::size_t k = 0; k < waits.size(); ++k)
        EXPECT_NEAR(waits[k], 300.0 * double(k + 1), 30.0 * double(k + 1) + 1e-3) << k;
    const auto kept = fragments(Repository::kPackagedStateName);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].filename().string().substr(0, 14), "1700000000000_"); // the session's first fragment
    EXPECT_TRUE(fs::exists(kept[0] / "1.log.zip"));

    // A client error is not retried; the fragment stays for later.
    answer(400);
    const std::size_t before = uploads();
    EXPECT_FALSE(maintain());
    EXPECT_EQ(network->takeOutcomes(), (std::vector<long> {-5, -5})); // and the empty fragment of the last maintenance
    EXPECT_EQ(uploads(), before + 2);
    EXPECT_TRUE(fs::exists(kept[0] / "1.log.zip"));

    // (The clean-up took the empty fragment that was refused.)
    answer(200);
    EXPECT_FALSE(maintain());
    EXPECT_EQ(network->takeOutcomes(), (std::vector<long> {0, 0}));
    EXPECT_FALSE(fs::exists(state(Repository::kPackagedStateName)));
}

TEST_F(AnalyticsController, MaintenanceWithoutURLStillPackagesPrunesAndCleans)
{
    start({});
    controller->setSettings(Value(Map {{"features", Map {{"collect_analytics", true}}}}));
    logLaunch();
    std::promise<std::optional<KitError>> done;
    auto result = done.get_future();
    controller->transmitPackagedSessionFragments([&done](const auto& error) { done.set_value(error); });
    EXPECT_EQ(result.get()->code, HLYAnalyticsController::kErrorNoAnalyticsURL);
    EXPECT_FALSE(maintain());
    // Pruning with no pending maximum gives up every closed log.
    EXPECT_TRUE(fragments(Repository::kPackagedStateName).empty());
    EXPECT_EQ(fragments(Repository::kActiveStateName), std::vector<fs::path> {controller->currentSessionFragmentDirectoryURL()});
    EXPECT_EQ(uploads(), 0u);
}

TEST_F(AnalyticsController, TwoMaintenancesInARowSendEmptyFragments)
{
    answer(200);
    start({});
    EXPECT_FALSE(maintain());
    EXPECT_FALSE(maintain());
    const auto posts = service.log();
    ASSERT_EQ(posts.size(), 2u);
    for (const auto& post : posts)
        EXPECT_TRUE(post.asMap()->find("parts")->asArray()->empty());
    EXPECT_TRUE(fragments(Repository::kPackagedStateName).empty());
}

TEST_F(AnalyticsController, PruningGivesUpTheOldestLowestPriorityLogsFirst)
{
    start({{"max_pending_send_file_count", 4}});
    auto& repository = controller->logSessionRepository();
    std::vector<fs::path> low;
    std::vector<fs::path> high;
    for (int i = 0; i < 8; ++i) {
        const char* state = i % 2 ? Repository::kPackagedStateName : Repository::kActiveStateName;
        const auto fragment = *repository.sessionFragmentDirectoryURLForStateName(state, "OLD", 1600000000000, "F",
                                                                                 1600000000000 + i, nullptr);
        const fs::path log = fragment / (i < 5 ? "2.log" : "0.log.zip");
        test::writeTextFile(log, "x");
        (i < 5 ? low : high).push_back(log);
    }
    auto prune = [this] {
        bool pruned = false;
        KitError error;
        controller->sessionMaintenanceQueue()->sync([&] { pruned = controller->runPruneSessionFragmentLogFiles(&error); });
        return pruned;
    };
    ASSERT_TRUE(prune());
    // Active logs sort before packaged ones; within a state by age.
    std::vector<fs::path> left = *repository.logFileURLsForAllStates(nullptr);
    std::sort(left.begin(), left.end());
    std::vector<fs::path> expected {low[3], high[0], high[1], high[2]};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);

    apply({{"max_pending_send_file_count", 0}});
    ASSERT_TRUE(prune());
    EXPECT_TRUE(repository.logFileURLsForAllStates(nullptr)->empty());
}

TEST_F(AnalyticsController, AFragmentStillWrittenWaitsForTheNextMaintenance)
{
    answer(200);
    start({});
    logLaunch();
    const fs::path first = controller->currentSessionFragmentDirectoryURL();
    // Hold the low-priority queue so that the switch misses its five seconds.
    std::promise<void> release;
    auto released = release.get_future().share();
    controller->priorityEventLoggingQueue(2)->async([released] { released.wait(); });
    const std::size_t pending = clock->pendingCount();
    std::promise<std::optional<KitError>> done;
    auto result = done.get_future();
    controller->maintainSessionFragments([&done](const auto& error) { done.set_value(error); });
    ASSERT_TRUE(clock->waitForPending(pending + 1, std::chrono::seconds(10)));
    clock->advance(HLYAnalyticsController::kFragmentSwitchWait);
    EXPECT_FALSE(drive(result));
    EXPECT_TRUE(fs::exists(first / "1.log"));
    EXPECT_EQ(uploads(), 0u);

    release.set_value();
    controller->priorityEventLoggingQueue(2)->sync([] {});
    EXPECT_FALSE(maintain());
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(network->takeOutcomes().size(), 2u);
}

TEST_F(AnalyticsController, AnEventWhoseFragmentFolderIsGoneGoesIntoANewFragment)
{
    answer(200);
    start({});
    const fs::path first = controller->currentSessionFragmentDirectoryURL();
    fs::remove_all(root()); // by hand, or by another instance
    logLaunch();
    const fs::path second = controller->currentSessionFragmentDirectoryURL();
    EXPECT_NE(second, first);
    EXPECT_NE(files::readFile(second / "1.log").value_or("").find("app_launched"), std::string::npos);
    EXPECT_FALSE(maintain());
    EXPECT_EQ(network->takeOutcomes(), std::vector<long> {0});
    ASSERT_EQ(uploads(), 1u);
    EXPECT_EQ(service.log()[0].asMap()->find("parts")->asArray()->size(), 1u);
}

// Events that keep coming while a full log waits for its new fragment fill
// it only as far as its allowance: no log of ours passes the size that
// packaging would refuse.
TEST_F(AnalyticsController, AFullLogWaitingForItsSwitchTakesNoMoreThanItsAllowance)
{
    answer(200);
    start({{"max_byte_size_per_file", 100}});
    const fs::path log = controller->currentSessionFragmentDirectoryURL() / "1.log";
    std::promise<void> release;
    auto released = release.get_future().share();
    controller->sessionMaintenanceQueue()->async([released] { released.wait(); });
    for (int i = 0; i < 40000; ++i) // some 1.4 MB of launch events
        logLaunch();
    const auto length = fs::file_size(log);
    release.set_value();
    EXPECT_LE(length, 100 + HLYAnalyticsController::kLogLengthAllowance);
    EXPECT_GT(length, HLYAnalyticsController::kLogLengthAllowance - 200);
    // The maintenance the full log asked for sends it.
    while (!controller->waitUntilIdle(0)) {
        controller->sessionMaintenanceQueue()->sync([] {});
        if (clock->waitForPending(1, std::chrono::milliseconds(20)))
            clock->advanceToNext();
    }
    EXPECT_EQ(network->takeOutcomes(), std::vector<long> {0});
    EXPECT_FALSE(fs::exists(log));
}

TEST_F(AnalyticsController, TheTimerFollowsTheLastMaintenance)
{
    const std::string key = "org.quiverleaf.halyard.insights.lastmaintenancedate";
    const double now = clock->wallNow();
    struct Case {
        std::optional<double> stored;
        double firstFire;
    } cases[] = {{std::nullopt, 300}, {now - 100, 200}, {now - 1000, 0}, {now + 5000, 300}};
    answer(200);
    start({});
    for (const auto& c : cases) {
        defaults.setObject(c.stored ? std::optional<Value>(Value(Date {*c.stored})) : std::nullopt, key);
        apply({{"flush_interval_secs", 300}});
        EXPECT_NEAR(clock->requestedDelays().back(), c.firstFire, 1e-6) << c.firstFire;
    }
    // The timer maintains, then comes again a whole interval later.
    clock->advance(300);
    controller->sessionMaintenanceQueue()->sync([] {});
    ASSERT_TRUE(controller->waitUntilIdle(10));
    EXPECT_EQ(defaults.objectForKey(key)->asDate()->secondsSince1970, clock->wallNow());
    EXPECT_NEAR(retryWaits().back(), 300, 1e-6);
}

TEST_F(AnalyticsController, SwitchedOffAnalyticsDeletesTheTree)
{
    start({});
    logLaunch();
    ASSERT_TRUE(fs::exists(root()));
    apply({}, false);
    EXPECT_FALSE(fs::exists(root()));
    testing::internal::CaptureStderr();
    controller->logTallyEvent(HLYTallyCustomEvent("ignored"));
    logLaunch();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[Halyard:Tally] Tally is disabled for this application."),
              std::string::npos);
    EXPECT_FALSE(fs::exists(root()));
}
