// analytics-probe: a process that runs the kit's analytics through a list of
// steps, against a service of the caller's choosing.
//
//   analytics-probe --dir FOLDER --url URL STEP...
//
// The kit starts as crash-probe starts it (per-user folders inside FOLDER,
// every endpoint URL, the same application). The probe prints
// "session=<execution identifier>", waits for the served settings and for
// the start's work on the main queue (and the maintenance they set off),
// runs the steps in order, then waits until no maintenance or upload runs. Exit 0; 1 with a one-line error;
// 2 for a bad command line.
//
// Steps (N counts the steps from 1):
//   custom:NAME     a custom event NAME with the attribute "n" = N
//   login:METHOD    a login by METHOD that succeeded
//   purchase:PRICE  a purchase at the decimal PRICE, in "USD", that succeeded
//   active, inactive, terminate   the application's lifecycle notifications
//   fill:COUNT      COUNT custom events "fill" with "n" = N and "i" = 1...COUNT,
//                   each written before the next
//   fillsent:COUNT  the same, and the maintenance an event sets off (a full
//                   log's) is over before the next event
//   maintain        one session maintenance, once nothing else runs
#include "ProbeSetUp.h"

#include "crash/Tally/HLYAnalyticsController.h"
#include "crash/Tally/Tally.h"
#include "crash/kit/HLYApplication.h"
#include "crash/kit/Halyard.h"
#include "sdk/Rigging.h"
#include "sdk/foundation/NotificationCenter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <string>
#include <vector>

namespace {

using qlkit::HLYAnalyticsController;
using qlkit::Map;
using qlkit::Tally;
using qlkit::Value;

constexpr double kSettingsLimit = 60.0;
constexpr double kIdleLimit = 120.0;

struct Step {
    std::string verb;
    std::string argument;
};

int usage()
{
    std::fprintf(stderr, "usage: analytics-probe --dir FOLDER --url URL STEP...\n"
                         "  steps: custom:NAME login:METHOD purchase:PRICE active inactive terminate fill:COUNT\n"
                         "         fillsent:COUNT maintain\n");
    return 2;
}

[[noreturn]] void finish(int code)
{
    std::fflush(stdout);
    std::fflush(stderr);
    // Kit threads may still hold work: leave without running static
    // destructors under them.
    std::_Exit(code);
}

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "analytics-probe: %s\n", message.c_str());
    finish(1);
}

std::optional<Step> parseStep(const std::string& word)
{
    const auto colon = word.find(':');
    Step step {word.substr(0, colon), colon == std::string::npos ? "" : word.substr(colon + 1)};
    const bool bare = step.verb == "active" || step.verb == "inactive" || step.verb == "terminate" || step.verb == "maintain";
    const bool argued = step.verb == "custom" || step.verb == "login" || step.verb == "purchase" || step.verb == "fill"
                        || step.verb == "fillsent";
    if (bare && colon == std::string::npos)
        return step;
    if (argued && !step.argument.empty())
        return step;
    return std::nullopt;
}

void waitForMaintenance(HLYAnalyticsController& analytics)
{
    if (!analytics.waitUntilIdle(kIdleLimit))
        fail("maintenance still running after " + std::to_string(int(kIdleLimit)) + " s");
}

// Everything queued so far has been written, and no chain runs.
void settle(HLYAnalyticsController& analytics)
{
    for (std::size_t priority = 0; priority < HLYAnalyticsController::kPriorityCount; ++priority)
        analytics.priorityEventLoggingQueue(priority)->sync([] {});
    analytics.sessionMaintenanceQueue()->sync([] {});
    waitForMaintenance(analytics);
}

void run(HLYAnalyticsController& analytics, const Step& step, int number)
{
    auto& center = qlkit::NotificationCenter::defaultCenter();
    if (step.verb == "custom") {
        Tally::logCustomEventWithName(step.argument, Map {{"n", number}});
    } else if (step.verb == "login") {
        Tally::logLoginWithMethod(step.argument, true);
    } else if (step.verb == "purchase") {
        const auto price = qlkit::Decimal::fromString(step.argument);
        if (!price)
            fail("not a decimal price: " + step.argument);
        Tally::logPurchaseWithPrice(*price, std::string("USD"), true, std::nullopt, std::nullopt, std::nullopt);
    } else if (step.verb == "active") {
        center.post(qlkit::kHLYApplicationDidBecomeActiveNotification);
    } else if (step.verb == "inactive") {
        center.post(qlkit::kHLYApplicationWillResignActiveNotification);
    } else if (step.verb == "terminate") {
        center.post(qlkit::kHLYApplicationWillTerminateNotification);
    } else if (step.verb == "fill" || step.verb == "fillsent") {
        char* end = nullptr;
        const long count = std::strtol(step.argument.c_str(), &end, 10);
        if (*end != '\0' || count < 0)
            fail("not a count: " + step.argument);
        // One at a time, as an application logs them over a while, so that
        // full logs are closed between events.
        for (long i = 1; i <= count; ++i) {
            Tally::logCustomEventWithName("fill", Map {{"n", number}, {"i", Value(i)}});
            analytics.priorityEventLoggingQueue(2)->sync([] {});
            // A full log has started its maintenance by now.
            if (step.verb == "fillsent")
                waitForMaintenance(analytics);
        }
    } else if (step.verb == "maintain") {
        settle(analytics);
        std::promise<void> done;
        analytics.maintainSessionFragments([&done](const auto&) { done.set_value(); });
        done.get_future().wait();
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder;
    std::string url;
    std::vector<Step> steps;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
            folder = argv[++i];
        } else if (std::strcmp(argv[i], "--url") == 0 && i + 1 < argc) {
            url = argv[++i];
        } else if (const auto step = parseStep(argv[i])) {
            steps.push_back(*step);
        } else {
            std::fprintf(stderr, "analytics-probe: unknown step %s\n", argv[i]);
            return usage();
        }
    }
    if (folder.empty() || url.empty())
        return usage();

    const auto kit = probe::startHalyard(folder, url);
    if (!kit)
        fail("cannot start the kit in " + folder);
    const auto analytics = kit->analyticsController();
    if (!analytics)
        fail("analytics did not start");
    std::printf("session=%s\n", qlkit::Rigging::sharedSDK().executionIdentifier().c_str());
    std::fflush(stdout);

    qlkit::Rigging::sharedSDK().settingsAndOnboardingManager()->activity()->wait(kSettingsLimit);
    qlkit::mainQueue()->sync([] {});
    // Also what the settings set off: the maintenance owed since the start.
    settle(*analytics);
    for (std::size_t i = 0; i < steps.size(); ++i)
        run(*analytics, steps[i], int(i + 1));
    settle(*analytics);
    finish(0);
}
