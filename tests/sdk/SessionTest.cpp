#include "TestService.h"

#include "sdk/HLYURLSession/HLYURLSession.h"
#include "sdk/network/RIGNetworkResponseHandler.h"

#include <future>
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
    std::promise<DataResult> done;
    session->dataTaskWithRequest(request, [&](const auto& data, const auto& response, const auto& error) {
        done.set_value({data, response, error});
    })->resume();
    auto future = done.get_future();
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
    setenv("TMPDIR", (dir.path() / "missing").c_str(), 1); // the file cannot be made
    auto [_, made, failure, where] = download("/file");
    unsetenv("TMPDIR");
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
