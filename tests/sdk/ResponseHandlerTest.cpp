#include "TestService.h"

#include "sdk/HLYURLSession/HLYURLSession.h"
#include "sdk/foundation/Clock.h"
#include "sdk/network/RIGNetworkResponseHandler.h"

#include <algorithm>
#include <future>
#include <gtest/gtest.h>

using namespace qlkit;

namespace {

// The classification as the service's contract lists it.
unsigned expectedType(long s)
{
    const std::vector<long> success {200, 201, 202, 204, 304};
    const std::vector<long> client {400, 401, 403, 404, 406, 410, 411, 413, 419, 422, 431};
    if (std::count(success.begin(), success.end(), s))
        return RIGNetworkResponseTypeSuccess;
    if (std::count(client.begin(), client.end(), s))
        return RIGNetworkResponseTypeClientError;
    if (s == 420 || s == 429)
        return RIGNetworkResponseTypeRateLimited;
    if (s == 408 || (s >= 500 && s <= 599))
        return RIGNetworkResponseTypeRetry;
    return RIGNetworkResponseTypeFailure;
}

HTTPURLResponse responseWith(long status, HeaderFields headers = {})
{
    return HTTPURLResponse {"http://x/", status, std::move(headers)};
}

struct Verdict {
    bool retry = false;
    std::optional<KitError> error;
};

Verdict verdictFor(const HTTPURLResponse* response, const URLRequest& request, std::optional<KitError> transport = {})
{
    Verdict verdict;
    int calls = 0;
    RIGNetworkResponseHandler::handleCompletedResponse(response, request, transport, [&](bool retry, const auto& error) {
        verdict = {retry, error};
        ++calls;
    });
    EXPECT_EQ(calls, 1);
    return verdict;
}

} // namespace

TEST(RIGNetworkResponseHandler, ClassifiesEveryStatusTheServiceSends)
{
    test::TestService service;
    std::vector<test::ServiceRule> rules;
    for (long s = 200; s <= 599; ++s)
        rules.push_back({"GET", "/s/" + std::to_string(s), {{s, {{"X-Request-Id", "id" + std::to_string(s)}}, ""}}});
    service.script(rules);
    auto session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration());
    for (long s = 200; s <= 599; ++s) {
        URLRequest request;
        request.URL = service.baseURL() + "/s/" + std::to_string(s);
        std::promise<Verdict> done;
        session->dataTaskWithRequest(request, [&](const auto&, const auto& response, const auto& error) {
            EXPECT_FALSE(error) << s;
            EXPECT_EQ(response ? response->statusCode : 0, s);
            done.set_value(verdictFor(response ? &*response : nullptr, request, error));
        })->resume();
        const Verdict verdict = done.get_future().get();
        const unsigned type = expectedType(s);
        EXPECT_EQ(verdict.retry, type == RIGNetworkResponseTypeRetry || type == RIGNetworkResponseTypeRateLimited) << s;
        if (type == RIGNetworkResponseTypeSuccess) {
            EXPECT_FALSE(verdict.error) << s;
            continue;
        }
        ASSERT_TRUE(verdict.error) << s;
        EXPECT_EQ(verdict.error->domain, "RIGNetworkError");
        EXPECT_EQ(verdict.error->code, type == RIGNetworkResponseTypeFailure ? -4 : type == RIGNetworkResponseTypeClientError ? -5 : -1) << s;
        EXPECT_EQ(verdict.error->userInfo,
                  (Map {{"type", type}, {"status_code", s}, {"request_id", "id" + std::to_string(s)}, {"content_type", ""}}));
    }
    // Interim statuses never end an exchange on the wire; judged directly.
    for (long s = 100; s <= 199; ++s) {
        const auto response = responseWith(s);
        EXPECT_EQ(verdictFor(&response, URLRequest {}).error->code, -4) << s;
    }
    const auto beyond = responseWith(600);
    EXPECT_EQ(verdictFor(&beyond, URLRequest {}).error->code, -4);
    const auto none = verdictFor(nullptr, URLRequest {});
    EXPECT_EQ(none.error->userInfo.find("status_code")->description(), "0");
    // Transport errors pass unchanged and are never retried.
    const auto retryable = responseWith(503);
    const auto transport = verdictFor(&retryable, URLRequest {}, KitError {kURLErrorDomain, kURLErrorTimedOut, {}, ""});
    EXPECT_FALSE(transport.retry);
    EXPECT_EQ(transport.error->code, kURLErrorTimedOut);
}

TEST(RIGNetworkResponseHandler, ComparesContentTypesTolerantly)
{
    URLRequest request;
    request.setValue("application/json", "Accept");
    request.setValue("utf-8", "Accept-Charset");
    auto matches = [&](std::optional<std::string> contentType) {
        auto response = responseWith(200, contentType ? HeaderFields {{"Content-Type", *contentType}} : HeaderFields {});
        return RIGNetworkResponseHandler::contentTypeForResponse(&response, request);
    };
    EXPECT_TRUE(matches("application/json; charset=utf-8"));
    EXPECT_TRUE(matches("Application/JSON; Charset=UTF-8"));
    EXPECT_TRUE(matches("application/json;charset=utf-8"));
    EXPECT_TRUE(matches("application/json"));
    EXPECT_FALSE(matches("application/json; charset=latin1"));
    EXPECT_FALSE(matches("text/html"));
    EXPECT_FALSE(matches(std::nullopt));
    const auto html = responseWith(200, {{"Content-Type", "text/html"}});
    EXPECT_EQ(verdictFor(&html, request).error->code, -4);
    EXPECT_TRUE(RIGNetworkResponseHandler::contentTypeForResponse(&html, URLRequest {}));
    const auto bare = responseWith(200);
    EXPECT_FALSE(verdictFor(&bare, URLRequest {}).error); // no Accept: anything goes
}

TEST(RIGNetworkResponseHandler, ReadsRetryAfterAsSecondsOrDate)
{
    auto clock = std::make_shared<VirtualClock>(1700000000.0); // 2023-11-14 22:13:20 UTC
    Clock::setShared(clock);
    auto delay = [](std::optional<std::string> value) {
        auto response = responseWith(503, value ? HeaderFields {{"Retry-After", *value}} : HeaderFields {});
        return RIGNetworkResponseHandler::retryValueForResponse(&response);
    };
    EXPECT_EQ(delay("120"), 120);
    EXPECT_EQ(delay("-5"), 300);
    EXPECT_EQ(delay(std::nullopt), 300);
    EXPECT_EQ(delay("soon"), 0);
    EXPECT_EQ(delay("+inf"), 300);
    EXPECT_EQ(delay("1e12"), 1e12); // honoured; the clock caps what it can wait
    EXPECT_EQ(delay("Tue, 14 Nov 2023 22:15:50 GMT"), 150);
    EXPECT_EQ(delay("Tue, 14 Nov 2023 22:00:00 GMT"), 0); // already past
    EXPECT_EQ(RIGNetworkResponseHandler::retryValueForResponse(nullptr), 300);
    Clock::setShared(nullptr);
}
