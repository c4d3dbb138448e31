#include "TestService.h"

#include "sdk/HLYURLSession/HLYURLSession.h"
#include "sdk/network/RIGNetworkResponseHandler.h"
#include "support/EnvironmentChange.h"

#include <future>
#include <optional>
#include <thread>
#include <gtest/gtest.h>

using namespace qlkit;
using test::ServiceResponse;
using test::ServiceRule;

namespace {

struct DataResult {
    std::optional<std::string> data;
    std::optional<HTTPURLResponse> response;
    std::optional<KitError> error;
};

DataResult fetch(const std::shared_ptr<HLYURLSession>& session, const URLRequest& request)
{
    // Shared with the task: a completion after the wait gave up finds it alive.
    auto done = std::make_shared<std::promise<DataResult>>();
    session->dataTaskWithRequest(request, [done](const auto& data, const auto& response, const auto& error) {
        done->set_value({data, response, error});
    })->resume();
    auto future = done->get_future();
    if (future.wait_for(std::chrono::seconds(30)) != std::future_status::ready)
        return {std::nullopt, std::nullopt, KitError {"test", 0, {}, "no completion"}};
    return future.get();
}

URLRequest requestFor(const std::string& url)
{
    URLRequest request;
    request.URL = url;
    request.timeoutInterval = 5;
    return request;
}

// Records what the session forwards, on its delegate queue.
class RecordingDelegate : public HLYURLSessionDelegate {
public:
    void dataTaskDidReceiveResponse(HLYURLSession&, HLYURLSessionTask&, const HTTPURLResponse& response,
                                    const std::function<void(int)>&) override
    {
        events.push_back("response " + std::to_string(response.statusCode));
    }
    void dataTaskDidReceiveData(HLYURLSession&, HLYURLSessionTask&, std::string_view data) override
    {
        events.push_back("data " + std::string(data));
    }
    void downloadTaskDidFinishDownloadingToURL(HLYURLSession&, HLYURLSessionTask&, const std::filesystem::path& file) override
    {
        events.push_back("file " + test::readTextFile(file));
        downloaded = file;
    }
    void taskDidCompleteWithError(HLYURLSession&, HLYURLSessionTask&, const std::optional<KitError>& error) override
    {
        events.push_back(error ? "failed " + error->domain : "complete");
        finished.set_value();
    }
    std::vector<std::string> events;
    std::filesystem::path downloaded;
    std::promise<void> finished;
};

} // namespace

TEST(HLYURLSession, SendsHeadersInOrderWithNothingAddedAndCollectsTheBody)
{
    test::TempDir dir;
    test::TestService service;
    service.script({{"GET", "/hello", {{200, {{"Content-Type", "text/plain"}, {"X-Request-Id", "r1"}}, "hi there"}}},
                    {"POST", "/upload", {{201, {}, "stored"}}},
                    {"PUT", "/thing", {{204, {}, ""}}},
                    {"GET", "/moved", {{302, {{"Location", "/hello?a=1&b=2"}}, ""}}}});
    auto configuration = HLYURLSessionConfiguration::defaultSessionConfiguration();
    configuration->HTTPAdditionalHeaders = {{"X-Extra", "added"}, {"X-Second", "two"}};
    auto session = HLYURLSession::sessionWithConfiguration(configuration);
    ASSERT_TRUE(session);
    EXPECT_FALSE(HLYURLSession::sessionWithConfiguration(nullptr));
    EXPECT_FALSE(HLYURLSessionConfiguration::backgroundSessionConfigurationWithIdentifier("any"));

    URLRequest request = requestFor(service.baseURL() + "/hello?a=1&b=2");
    request.setValue("first", "X-Zeta");
    request.setValue("mine", "X-Extra");
    request.setValue("last", "X-Alpha");
    const auto result = fetch(session, request);
    ASSERT_FALSE(result.error) << result.error->describe();
    EXPECT_EQ(result.data, "hi there");
    EXPECT_EQ(result.response->statusCode, 200);
    EXPECT_EQ(result.response->valueForHTTPHeaderField("x-request-id"), "r1");
    // Redirects are followed; the final answer is the one reported.
    const auto moved = fetch(session, requestFor(service.baseURL() + "/moved"));
    EXPECT_EQ(moved.data, "hi there");
    EXPECT_EQ(moved.response->URL, service.baseURL() + "/hello?a=1&b=2");

    // An empty file body and a file body both arrive whole.
    test::writeTextFile(dir.path() / "body.bin", std::string("\0\x01payload\r\n", 11));
    std::promise<DataResult> uploaded;
    URLRequest upload = requestFor(service.baseURL() + "/upload");
    upload.HTTPMethod = "POST";
    upload.setValue("application/octet-stream", "Content-Type");
    session->uploadTaskWithRequest(upload, dir.path() / "body.bin", [&](const auto& data, const auto& response, const auto& error) {
        uploaded.set_value({data, response, error});
    })->resume();
    const auto uploadResult = uploaded.get_future().get();
    EXPECT_EQ(uploadResult.response->statusCode, 201);
    URLRequest put = requestFor(service.baseURL() + "/thing");
    put.HTTPMethod = "PUT";
    EXPECT_EQ(fetch(session, put).response->statusCode, 204);

    auto log = service.log();
    ASSERT_EQ(log.size(), 5u);
    log.erase(log.begin() + 1, log.begin() + 3); // the redirect and its target
    EXPECT_EQ(test::logString(log[0], "query"), "a=1&b=2");
    EXPECT_EQ(test::logHeaderNames(log[0]), (std::vector<std::string> {"Host", "X-Zeta", "X-Extra", "X-Alpha", "X-Second"}));
    EXPECT_EQ(test::logHeader(log[0], "X-Extra"), "mine,added"); // the comma rule
    EXPECT_EQ(test::logString(log[1], "body_b64"), std::string("\0\x01payload\r\n", 11));
    EXPECT_EQ(test::logHeaderNames(log[1]), (std::vector<std::string> {"Host", "Content-Type", "X-Extra", "X-Second", "Content-Length"}));
    EXPECT_EQ(test::logString(log[2], "method"), "PUT");
    EXPECT_EQ(test::logHeader(log[2], "Content-Type"), "(absent)");
}

TEST(HLYURLSession, DelegatesGetEventsOnlyWithoutCompletionBlocks)
{
    test::TestService service;
    service.script({{"GET", "/data", {{200, {}, "payload"}}}, {"GET", "/file", {{200, {}, "file body"}}}});
    auto delegate = std::make_shared<RecordingDelegate>();
    auto session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration(),
                                                           delegate, nullptr);
    ASSERT_TRUE(session->delegateQueue()); // made for the delegate
    EXPECT_EQ(session->delegateQueue()->label().rfind("HLYURLSession 0x", 0), 0u);

    // With a completion block nothing reaches the delegate.
    EXPECT_EQ(fetch(session, requestFor(service.baseURL() + "/data")).data, "payload");
    // Without one, it gets everything; a second resume sends nothing more.
    auto task = session->dataTaskWithRequest(requestFor(service.baseURL() + "/data"));
    task->resume();
    task->resume();
    delegate->finished.get_future().wait();
    session->delegateQueue()->sync([] {});
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"response 200", "data payload", "complete"}));

    delegate->events.clear();
    delegate->finished = std::promise<void>();
    session->downloadTaskWithURL(service.baseURL() + "/file")->resume();
    delegate->finished.get_future().wait();
    session->delegateQueue()->sync([] {});
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"response 200", "file file body", "complete"}));
    EXPECT_FALSE(std::filesystem::exists(delegate->downloaded)); // gone after the callback
    EXPECT_EQ(service.log().size(), 3u);

    std::promise<std::size_t> lists;
    session->getTasksWithCompletionHandler([&](const auto& a, const auto& b, const auto& c) {
        lists.set_value(a.size() + b.size() + c.size());
    });
    EXPECT_EQ(lists.get_future().get(), 0u);
}

TEST(HLYURLSession, DownloadsExistOnlyDuringTheCompletionAndFailOnceWhenUnwritable)
{
    test::TestService service;
    service.script({{"GET", "/file", {{200, {}, std::string(100000, 'z')}}}, {"GET", "/empty", {{200, {}, ""}}}});
    auto session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration());
    auto download = [&](const std::string& path) {
        std::promise<std::tuple<std::string, bool, std::optional<KitError>, std::filesystem::path>> done;
        session->downloadTaskWithRequest(requestFor(service.baseURL() + path), [&](const auto& file, const auto&, const auto& error) {
            done.set_value({file ? test::readTextFile(*file) : "", file && std::filesystem::exists(*file), error,
                            file.value_or("")});
        })->resume();
        return done.get_future().get();
    };
    auto [body, existed, error, file] = download("/file");
    EXPECT_EQ(body, std::string(100000, 'z'));
    EXPECT_TRUE(existed);
    EXPECT_FALSE(error);
    // Removed right after the completion returns.
    for (int i = 0; i < 200 && std::filesystem::exists(file); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(std::get<1>(download("/empty")));

    test::TempDir dir;
    // The file cannot be made.
    std::optional<ql::testing::EnvironmentChange> missing(std::in_place, "TMPDIR", (dir.path() / "missing").string());
    auto [_, made, failure, where] = download("/file");
    missing.reset();
    EXPECT_FALSE(made);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->domain, "HLYURLSessionDownloadTaskError");
    EXPECT_EQ(failure->code, -1);
}

TEST(HLYURLSession, BrokenServersGiveTransportErrorsWithinTheTimeout)
{
    test::TestService service;
    service.script({{"GET", "/hang", {{200, {}, "", "hang"}}},
                    {"GET", "/close", {{200, {}, "", "close"}}},
                    {"GET", "/truncate", {{200, {}, "half a body", "truncate"}}},
                    {"GET", "/short", {{200, {}, "longer than said", "short"}}},
                    {"GET", "/garbage", {{200, {}, "", "garbage"}}}});
    auto session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration());
    URLRequest hang = requestFor(service.baseURL() + "/hang");
    hang.timeoutInterval = 1;
    const auto started = std::chrono::steady_clock::now();
    const auto hung = fetch(session, hang);
    ASSERT_TRUE(hung.error);
    EXPECT_EQ(hung.error->code, kURLErrorTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));

    EXPECT_EQ(fetch(session, requestFor(service.baseURL() + "/close")).error->code, kURLErrorNetworkConnectionLost);
    EXPECT_EQ(fetch(session, requestFor(service.baseURL() + "/truncate")).error->code, kURLErrorNetworkConnectionLost);
    const auto shortBody = fetch(session, requestFor(service.baseURL() + "/short"));
    EXPECT_FALSE(shortBody.error); // the declared length wins
    EXPECT_EQ(shortBody.data, "longer than");
    EXPECT_TRUE(fetch(session, requestFor(service.baseURL() + "/garbage")).error);

    const int port = service.port();
    URLRequest refused = requestFor("http://127.0.0.1:" + std::to_string(port) + "0/none");
    EXPECT_TRUE(fetch(session, refused).error);
    EXPECT_EQ(fetch(session, requestFor("notascheme://x")).error->code, kURLErrorBadURL);
}

TEST(HLYURLSession, HeaderFieldsThatWouldSplitTheRequestAreRefusedBeforeAnythingIsSent)
{
    test::TestService service;
    service.script({{"GET", "/x", {{200, {}, "ok"}}}});
    auto session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration());
    const std::vector<std::pair<std::string, std::string>> unsafe {
        {"X-Halyard-API-Key", "the-key\r\nX-Injected: yes"},
        {"Accept-Language", "de_DE\nX-Injected: yes"},
        {"X-Halyard-Installation-ID", std::string("id\0X-Injected: yes", 18)},
        {"X-Injected: yes\r\nX-Name", "v"},
        {"X Name", "v"},
        {"", "v"}};
    for (const auto& [field, value] : unsafe) {
        URLRequest request = requestFor(service.baseURL() + "/x");
        request.setValue(value, field);
        const auto result = fetch(session, request);
        ASSERT_TRUE(result.error) << field;
        EXPECT_EQ(result.error->code, kURLErrorBadURL) << field;
        EXPECT_FALSE(result.response);
        EXPECT_EQ(result.error->message.find("the-key"), std::string::npos); // secrets are not quoted back
    }
    // Headers of the session's configuration go the same road.
    auto configuration = HLYURLSessionConfiguration::defaultSessionConfiguration();
    configuration->HTTPAdditionalHeaders = {{"X-Extra", "a\r\nX-Injected: yes"}};
    EXPECT_TRUE(fetch(HLYURLSession::sessionWithConfiguration(configuration), requestFor(service.baseURL() + "/x")).error);
    EXPECT_TRUE(service.log().empty());

    // Tabs and empty values are fine.
    URLRequest fine = requestFor(service.baseURL() + "/x");
    fine.setValue("a\tb", "X-Fine");
    fine.setValue("", "X-Empty");
    EXPECT_EQ(fetch(session, fine).data, "ok");
    EXPECT_EQ(test::logHeader(service.log().at(0), "X-Fine"), "a\tb");
}

TEST(HLYURLSession, RedirectedRequestsAreWellFormedAndKeepTheirBodyUnlessTheMethodChanges)
{
    test::TestService service;
    service.script({{"POST", "/create", {{302, {{"Location", "/next"}}, "moved"}}},
                    {"PUT", "/update", {{302, {{"Location", service.baseURL() + "/next"}}, ""}}},
                    {"PUT", "/see-other", {{303, {{"Location", "/next"}}, ""}}},
                    {"POST", "/temporary", {{307, {{"Location", "next"}}, ""}}},
                    {"GET", "/loop", {{302, {{"Location", "/loop"}}, ""}}},
                    {"GET", "/elsewhere", {{302, {{"Location", "ftp://127.0.0.1/next"}}, ""}}},
                    {"GET", "/next", {{200, {}, "got"}}},
                    {"PUT", "/next", {{200, {}, "put"}}},
                    {"POST", "/next", {{200, {}, "posted"}}}});
    auto session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration());
    const std::string body(205, 'b');
    auto send = [&](const std::string& method, const std::string& path, const std::string& length = "205") {
        URLRequest request = requestFor(service.baseURL() + path);
        request.HTTPMethod = method;
        request.setValue("multipart/form-data; boundary=B", "Content-Type");
        request.setValue(length, "Content-Length"); // set by hand, as the onboarding does
        request.HTTPBody = body;
        return fetch(session, request);
    };
    // A POST after 302 becomes a GET; its body and the fields about it go.
    const auto created = send("POST", "/create");
    ASSERT_FALSE(created.error) << created.error->describe();
    EXPECT_EQ(created.data, "got");
    EXPECT_EQ(created.response->URL, service.baseURL() + "/next");
    EXPECT_EQ(send("PUT", "/update").data, "put");        // a PUT stays one, with its body
    EXPECT_EQ(send("PUT", "/see-other").data, "got");     // 303: GET
    EXPECT_EQ(send("POST", "/temporary").data, "posted"); // 307: the same request again
    EXPECT_EQ(send("POST", "/next", "999").data, "posted"); // a wrong length set by hand is not sent
    EXPECT_EQ(fetch(session, requestFor(service.baseURL() + "/loop")).error->code, kURLErrorHTTPTooManyRedirects);
    EXPECT_EQ(fetch(session, requestFor(service.baseURL() + "/elsewhere")).error->code, kURLErrorUnsupportedURL);

    const auto log = service.log();
    ASSERT_GE(log.size(), 11u);
    auto expectRequest = [&](std::size_t index, const std::string& method, const std::string& length) {
        SCOPED_TRACE(index);
        EXPECT_EQ(test::logString(log[index], "method") + " " + test::logString(log[index], "path"), method + " /next");
        EXPECT_EQ(test::logHeader(log[index], "Content-Length"), length);
        EXPECT_EQ(test::logString(log[index], "body_length"), length == "(absent)" ? "0" : length);
        EXPECT_EQ(test::logHeader(log[index], "Content-Type"), length == "(absent)" ? "(absent)" : "multipart/form-data; boundary=B");
    };
    expectRequest(1, "GET", "(absent)");
    expectRequest(3, "PUT", "205");
    expectRequest(5, "GET", "(absent)");
    expectRequest(7, "POST", "205");
    expectRequest(8, "POST", "205");
    EXPECT_EQ(log.size(), 9u + 11u + 1u); // the loop's first try and ten redirects; one try elsewhere
}

TEST(HLYURLSession, ASlowServerIsCutOffAtTheRequestsTimeLimit)
{
    test::TestService service;
    // A byte every 0.3 s never trips the idle rule of 2 s.
    ServiceResponse trickle {200, {}, std::string(1000, 's'), "trickle"};
    trickle.interval = 0.3;
    service.script({{"GET", "/slow", {trickle}}});
    auto session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration());
    URLRequest slow = requestFor(service.baseURL() + "/slow");
    slow.timeoutInterval = 2;
    slow.timeoutIntervalForResource = 3;
    const auto result = fetch(session, slow);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code, kURLErrorTimedOut) << result.error->describe();
}

TEST(HLYURLSession, AnswerBodiesAreCappedInMemoryAndOnDiskOrLeftUnread)
{
    test::TempDir temporary;
    test::TestService service;
    service.script({{"GET", "/endless", {{200, {}, "", "endless"}}}});
    // Where downloads go.
    std::optional<ql::testing::EnvironmentChange> downloads(std::in_place, "TMPDIR", temporary.path().string());
    auto session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration());
    test::Watchdog disk([&] { return test::folderBytes(temporary.path()) > (256u << 20); }, [&] { service.stop(); });
    {
        // Every task has a cap, however generous.
        test::ResidentGrowthWatch runaway(768u << 20, [&] { service.stop(); });
        const auto capped = fetch(session, requestFor(service.baseURL() + "/endless"));
        ASSERT_TRUE(capped.error);
        EXPECT_EQ(capped.error->code, kURLErrorDataLengthExceedsMaximum);
        // What came before the cap is handed on, as with any failure.
        EXPECT_LE(capped.data.value_or("").size(), kDefaultMaximumResponseBodyLength);
    }

    test::ResidentGrowthWatch memory(768u << 20, [&] { service.stop(); });
    URLRequest small = requestFor(service.baseURL() + "/endless");
    small.maximumResponseBodyLength = 2u << 20;
    EXPECT_EQ(fetch(session, small).error.value_or(KitError {}).code, kURLErrorDataLengthExceedsMaximum);

    // Nobody reads it: the exchange ends with the headers.
    URLRequest unread = requestFor(service.baseURL() + "/endless");
    unread.maximumResponseBodyLength = 0;
    const auto headersOnly = fetch(session, unread);
    ASSERT_FALSE(headersOnly.error) << headersOnly.error->describe();
    EXPECT_EQ(headersOnly.response->statusCode, 200);
    EXPECT_FALSE(headersOnly.data);

    URLRequest download = requestFor(service.baseURL() + "/endless");
    download.maximumResponseBodyLength = 1u << 20;
    auto downloaded = std::make_shared<std::promise<std::optional<KitError>>>();
    session->downloadTaskWithRequest(download, [downloaded](const auto& file, const auto&, const auto& error) {
        downloaded->set_value(file ? std::nullopt : error);
    })->resume();
    auto outcome = downloaded->get_future();
    ASSERT_EQ(outcome.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    const auto failure = outcome.get();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code, kURLErrorDataLengthExceedsMaximum);
    downloads.reset();
    EXPECT_TRUE(test::becomesEmpty(temporary.path())); // the cut-off file is gone
    EXPECT_LT(memory.peakGrowth(), 64u << 20) << memory.peakGrowth();
    RecordProperty("peak_resident_growth_bytes", std::to_string(memory.peakGrowth()));
}
