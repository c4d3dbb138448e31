// The crash reporter's handling of earlier reports in this process: the
// user's prompt, and how often a failed package is sent again within a run,
// against the test service, in virtual time where minutes pass; and the
// run-state keys it records with the run.
#include "ReportTestSupport.h"

#include "crash/HalyardConstants.h"
#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYUtilities.h"
#include "crash/kit/HLYCrashReportingController.h"
#include "crash/reports/HLYFileManager.h"
#include "crash/reports/HLYInternalReport.h"
#include "sdk/foundation/Clock.h"
#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/NotificationCenter.h"

#include <gtest/gtest.h>
#include <thread>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

namespace fs = std::filesystem;

constexpr const char* kUnitReportsPath = "/sdk-api/v1/platforms/linux/apps/org.quiverleaf.unit/reports";

class FakeDelegate final : public HLYCrashReportingControllerDelegate {
public:
    explicit FakeDelegate(Value settings) : m_settings(std::move(settings)) {}
    std::optional<std::string> APIKeyForCrashReportingController() override { return "unit-key"; }
    std::string installIDForCrashReportingController() override { return "INSTALL"; }
    bool isFirstInstallForCrashReportingController() override { return false; }
    HLYSettings settingsForCrashReportingController() override { return HLYSettings(m_settings); }
    bool shouldInstallCrashCallback() override { return false; }
    void detectedCrash() override {}
    bool reportingControllerCanUseBackgroundSessions() override { return true; }
    bool reportingControllerMustInformDelegateOfReports() override { return false; }
    bool reportingControllerEnsureDeliveryOfUnixSignal(int) override { return false; }
    void reportingControllerInternalDidDetectReportForLastExecution(const std::shared_ptr<HLYInternalReport>&) override {}
    void reportingControllerDidDetectReportForLastExecution(const std::shared_ptr<HLYInternalReport>&,
                                                            std::function<void(bool)> completion) override
    {
        completion(true);
    }

private:
    Value m_settings;
};

class FakePresenter final : public HLYPromptPresenter {
public:
    explicit FakePresenter(HLYPromptChoice choice) : m_choice(choice) {}
    void presentCrashReportPrompt(const HLYPromptTexts& texts, std::function<void(HLYPromptChoice)> answer) override
    {
        ++asked;
        title = texts.title;
        // The user takes a moment, on another thread.
        m_users.emplace_back([answer, choice = m_choice] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            answer(choice);
        });
    }
    // Waits until every answer was given.
    void finish()
    {
        for (std::thread& user : m_users)
            user.join();
        m_users.clear();
    }
    std::atomic<int> asked {0};
    std::string title;

private:
    HLYPromptChoice m_choice;
    std::vector<std::thread> m_users;
};

// Virtual time for one test, the real clock again after it.
struct VirtualTime {
    VirtualTime() { Clock::setShared(clock); }
    ~VirtualTime() { Clock::setShared(nullptr); }
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
};

// A home with old reports of crashed runs, and the service they go to.
class ControllerFixture : public testing::Test {
protected:
    void SetUp() override
    {
        info::setMainInfoDictionary(Map {{"CFBundleIdentifier", "org.quiverleaf.unit"},
                                         {"Halyard", Map {{"ReportsEndpoint", service.baseURL()}}}});
        files = std::make_shared<HLYFileManager>();
    }
    // The controller's work winds down and the capture core it set up goes,
    // so that the next test finds the process as this one did.
    void TearDown() override
    {
        if (presenter)
            presenter->finish();
        if (controller) {
            settle(controller);
            controller.reset();
        }
        HLYContextBaseDeinit();
        info::setMainInfoDictionary(std::nullopt);
    }

    void addOldReport(const std::string& id)
    {
        const fs::path folder = files->activePath() / id;
        fs::create_directories(folder);
        test::writeTextFile(folder / "metadata.hlyrecord",
                            R"({"identity":{"api_key":"unit-key","session_id":")" + id + "\"}}\n");
        test::writeTextFile(folder / "signal.hlyrecord", R"({"signal":{"number":11}})" "\n");
    }

    std::shared_ptr<HLYCrashReportingController> start(Value settings,
                                                       std::shared_ptr<FakePresenter> userPrompt = nullptr,
                                                       std::uint64_t mark = 0)
    {
        delegate = std::make_shared<FakeDelegate>(std::move(settings));
        presenter = std::move(userPrompt);
        controller = HLYCrashReportingController::create(files, delegate);
        controller->setPromptPresenter(presenter);
        EXPECT_TRUE(controller->startWithProfilingMark(mark, std::nullopt));
        return controller;
    }

    // Lets the work and main queues run dry, a few turns deep.
    static void settle(const std::shared_ptr<HLYCrashReportingController>& controller)
    {
        for (int turn = 0; turn < 6; ++turn) {
            controller->workQueue()->sync([] {});
            mainQueue()->sync([] {});
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        controller->networkClient()->waitForUploads(20);
        controller->workQueue()->sync([] {});
    }

    std::size_t posts() const
    {
        std::size_t count = 0;
        for (const auto& entry : service.log())
            count += test::logString(entry, "path") == kUnitReportsPath;
        return count;
    }

    bool waitForPosts(std::size_t count) const
    {
        for (int i = 0; i < 400 && posts() < count; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return posts() >= count;
    }

    test::KitHome home;
    test::TestService service;
    std::shared_ptr<HLYFileManager> files;
    std::shared_ptr<FakeDelegate> delegate;
    std::shared_ptr<FakePresenter> presenter;
    std::shared_ptr<HLYCrashReportingController> controller;
};

const Value kPromptOn = Map {{"features", Map {{"prompt_enabled", true}}}};

// The last value the run's internal store holds for a key of the kit's own.
std::optional<std::string> internalValue(const HLYCrashReportingController& controller, const std::string& name)
{
    if (const auto queue = HLYLoggingQueue())
        queue->sync([] {});
    std::optional<std::string> last;
    for (const auto& [key, value] : keyValues(controller.currentReport()->path() / "internal_incremental_kv.hlyrecord"))
        if (key == kHalyardInternalKeyPrefix + name)
            last = value;
    return last;
}

double milliseconds(const std::optional<std::string>& text)
{
    std::size_t used = 0;
    const double value = text ? std::stod(*text, &used) : -1;
    EXPECT_TRUE(text && used == text->size()) << text.value_or("(none)");
    return value;
}

} // namespace

TEST_F(ControllerFixture, DontSendRemovesTheReportAndSilentlyEveryLaterOne)
{
    service.script({{"POST", kUnitReportsPath, {acceptedAnswer()}}});
    for (const char* id : {"r1", "r2", "r3"})
        addOldReport(id);
    auto presenter = std::make_shared<FakePresenter>(HLYPromptChoice::DontSend);
    start(kPromptOn, presenter);
    settle(controller);
    EXPECT_EQ(presenter->asked.load(), 1);
    EXPECT_EQ(presenter->title, "Send Crash Report?");
    EXPECT_EQ(controller->promptChoice(), 1);
    EXPECT_EQ(posts(), 0u);
    EXPECT_EQ(entriesOf(files->activePath()).size(), 1u); // this run's own folder
    EXPECT_TRUE(entriesOf(files->preparedPath()).empty());
}

TEST_F(ControllerFixture, AlwaysSendSendsEveryReportWithoutAskingAgain)
{
    service.script({{"POST", kUnitReportsPath, {acceptedAnswer()}}});
    for (const char* id : {"r1", "r2", "r3"})
        addOldReport(id);
    auto presenter = std::make_shared<FakePresenter>(HLYPromptChoice::AlwaysSend);
    start(kPromptOn, presenter);
    settle(controller);
    EXPECT_EQ(presenter->asked.load(), 1);
    EXPECT_EQ(controller->promptChoice(), 3);
    EXPECT_EQ(posts(), 3u);
    EXPECT_EQ(entriesOf(files->activePath()).size(), 1u);
    EXPECT_TRUE(entriesOf(files->preparedPath()).empty());
}

TEST_F(ControllerFixture, WithoutAPresenterReportsAreSentUnasked)
{
    service.script({{"POST", kUnitReportsPath, {acceptedAnswer()}}});
    addOldReport("r1");
    // Keys and logs alone are nothing to send: removed without a word.
    fs::create_directories(files->activePath() / "quiet");
    test::writeTextFile(files->activePath() / "quiet" / "log_a.hlyrecord", "{}\n");
    start(kPromptOn);
    settle(controller);
    EXPECT_EQ(posts(), 1u);
    EXPECT_FALSE(fs::exists(files->activePath() / "quiet"));
}

TEST_F(ControllerFixture, AFailedPackageIsSentAgainEvery600SecondsAtMostSixTimes)
{
    VirtualTime time;
    const auto& clock = time.clock;
    test::ServiceResponse html = acceptedAnswer();
    html.headers = {{"Content-Type", "text/html"}};
    service.script({{"POST", kUnitReportsPath, {html}}});
    addOldReport("r1");
    start(Value());
    ASSERT_TRUE(waitForPosts(1));
    for (std::size_t retry = 1; retry <= 6; ++retry) {
        controller->networkClient()->waitForUploads(20);
        controller->workQueue()->sync([] {});
        clock->advance(599);
        EXPECT_EQ(posts(), retry);
        clock->advance(1);
        ASSERT_TRUE(waitForPosts(retry + 1)) << retry;
    }
    controller->networkClient()->waitForUploads(20);
    controller->workQueue()->sync([] {});
    clock->advance(3600);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(posts(), 7u);
    EXPECT_EQ(entriesOf(files->preparedPath()).size(), 1u);
}

TEST_F(ControllerFixture, ARefusedPackageIsNotSentAgainInTheRun)
{
    VirtualTime time;
    const auto& clock = time.clock;
    service.script({{"POST", kUnitReportsPath, {answer(400)}}});
    addOldReport("r1");
    start(Value());
    ASSERT_TRUE(waitForPosts(1));
    controller->networkClient()->waitForUploads(20);
    controller->workQueue()->sync([] {});
    clock->advance(3600);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(posts(), 1u);
    EXPECT_EQ(entriesOf(files->preparedPath()).size(), 1u);
}

TEST_F(ControllerFixture, RunStateKeysCountFromTheirOwnMarks)
{
    // The kit starts well after the process did: its start time counts from its own mark.
    const double markAfterProcessStart = HLYProfileMillisecondsSinceStart();
    const std::uint64_t mark = HLYMonotonicNanoseconds();
    start(Value(), nullptr, mark);
    const double startTook = HLYProfileMillisecondsSinceMark(mark);
    const double kitStart = milliseconds(internalValue(*controller, "kit-start-time"));
    EXPECT_GE(kitStart, 0.0);
    EXPECT_LE(kitStart, startTook) << "counted from the process start, " << markAfterProcessStart << " ms earlier";

    // The main queue's first turn, from the process start.
    mainQueue()->sync([] {});
    const double firstTurn = milliseconds(internalValue(*controller, "first-run-loop-time"));
    EXPECT_GE(firstTurn, markAfterProcessStart);
    EXPECT_LE(firstTurn, HLYProfileMillisecondsSinceStart());

    EXPECT_EQ(internalValue(*controller, "in-background"), "0");
    NotificationCenter::defaultCenter().post(HLYCrashReportingController::kDidResignActiveNotification);
    EXPECT_EQ(internalValue(*controller, "in-background"), "1");
    NotificationCenter::defaultCenter().post(HLYCrashReportingController::kWillBecomeActiveNotification);
    EXPECT_EQ(internalValue(*controller, "in-background"), "0");
}
