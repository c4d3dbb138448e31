#include "TestService.h"

#include "sdk/foundation/Clock.h"
#include "sdk/network/RIGNetworkClient.h"
#include "sdk/network/RIGNetworkTaskUtility.h"

#include <future>
#include <gtest/gtest.h>

using namespace qlkit;
using test::ServiceResponse;

namespace {

struct Outcome {
    std::optional<std::string> data;
    std::optional<HTTPURLResponse> response;
    std::optional<KitError> error;
};

// Runs retries in virtual time: each pending wait is checked and skipped.
class RetryHarness {
public:
    RetryHarness() { Clock::setShared(clock); }
    ~RetryHarness() { Clock::setShared(nullptr); }

    // Skips waits until the outcome arrives; returns the waits skipped.
    std::vector<double> drive(std::future<Outcome>& outcome)
    {
        std::vector<double> waits;
        while (outcome.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            if (clock->waitForPending(1, std::chrono::milliseconds(20)))
                waits.push_back(clock->advanceToNext());
            if (waits.size() > 20)
                break;
        }
        return waits;
    }

    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>(1700000000.0);
};

URLRequest requestFor(const test::TestService& service, const std::string& path)
{
    URLRequest request;
    request.URL = service.baseURL() + path;
    request.timeoutInterval = 5;
    return request;
}

DataTaskCompletion into(std::promise<Outcome>& promise)
{
    return [&promise](const auto& data, const auto& response, const auto& error) { promise.set_value({data, response, error}); };
}

} // namespace

TEST(RIGNetworkClient, BacksOffTenTimesThenGivesUp)
{
    RetryHarness harness;
    test::TestService service;
    service.script({{"GET", "/busy", {{503, {}, "busy"}}}});
    auto client = RIGNetworkClient::create();
    std::promise<Outcome> done;
    auto outcome = done.get_future();
    client->startDataTaskWithRequest(requestFor(service, "/busy"), into(done));
    const auto waits = harness.drive(outcome);
    ASSERT_EQ(waits.size(), 10u);
    for (std::size_t k = 0; k < waits.size(); ++k) {
        const double nominal = 300.0 * double(k + 1);
        EXPECT_NEAR(waits[k], nominal, nominal * 0.1 + 1e-3) << k; // jitter within 10 %
    }
    const auto result = outcome.get();
    EXPECT_EQ(result.error->code, -6);
    EXPECT_TRUE(result.error->userInfo.empty());
    EXPECT_FALSE(result.data);
    EXPECT_FALSE(result.response);
    EXPECT_EQ(service.log().size(), 11u);
}

TEST(RIGNetworkClient, HonoursRetryAfterUntilSuccess)
{
    RetryHarness harness;
    test::TestService service;
    service.script({{"GET", "/limited",
                     {{429, {{"Retry-After", "2"}}, ""}, {429, {{"Retry-After", "2"}}, ""}, {200, {}, "finally"}}}});
    auto client = RIGNetworkClient::create();
    std::promise<Outcome> done;
    auto outcome = done.get_future();
    client->startDataTaskWithRequest(requestFor(service, "/limited"), into(done));
    const auto waits = harness.drive(outcome);
    ASSERT_EQ(waits.size(), 2u);
    EXPECT_NEAR(waits[0], 2.0, 0.2 + 1e-3);
    EXPECT_NEAR(waits[1], 4.0, 0.4 + 1e-3);
    const auto result = outcome.get();
    EXPECT_FALSE(result.error);
    EXPECT_EQ(result.data, "finally");
    EXPECT_EQ(service.log().size(), 3u);
}

TEST(RIGNetworkTaskUtility, RetriesAsOftenAsAllowed)
{
    RetryHarness harness;
    test::TestService service;
    // Two minutes after the virtual clock's start, 2023-11-14 22:13:20 UTC.
    service.script({{"GET", "/dated", {{503, {{"Retry-After", "Tue, 14 Nov 2023 22:15:20 GMT"}}, ""}, {200, {}, "ok"}}},
                    {"GET", "/fail", {{500, {}, "first"}, {500, {{"X-Request-Id", "second"}}, "second"}}},
                    {"GET", "/now", {{503, {{"Retry-After", "0"}}, ""}, {204, {}, ""}}}});
    auto utility = RIGNetworkTaskUtility::create();

    // A date is a delay from now.
    std::promise<Outcome> dated;
    auto outcome = dated.get_future();
    utility->beginDataTaskWithRequest(requestFor(service, "/dated"), 3, into(dated));
    EXPECT_EQ(harness.drive(outcome), (std::vector<double> {120.0}));
    EXPECT_EQ(outcome.get().data, "ok");
    std::promise<Outcome> twice;
    outcome = twice.get_future();
    utility->beginDataTaskWithRequest(requestFor(service, "/fail"), 1, into(twice));
    EXPECT_EQ(harness.drive(outcome), (std::vector<double> {300.0}));
    auto result = outcome.get();
    EXPECT_EQ(result.data, "second");
    EXPECT_EQ(result.response->statusCode, 500);
    EXPECT_EQ(result.error->code, -1);
    EXPECT_EQ(result.error->userInfo.find("request_id")->description(), "second");

    std::promise<Outcome> atOnce;
    outcome = atOnce.get_future();
    utility->beginDataTaskWithRequest(requestFor(service, "/fail"), 0, into(atOnce));
    EXPECT_TRUE(harness.drive(outcome).empty());
    EXPECT_EQ(outcome.get().error->code, -1);

    // Zero still waits a second.
    std::promise<Outcome> now;
    outcome = now.get_future();
    utility->beginDataTaskWithRequest(requestFor(service, "/now"), 3, into(now));
    EXPECT_EQ(harness.drive(outcome), (std::vector<double> {1.0}));
    EXPECT_FALSE(outcome.get().error);
    EXPECT_EQ(service.log().size(), 7u);
}
