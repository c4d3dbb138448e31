// Reports of real crashed runs are processed, packaged and sent by the next
// start (crash-probe send) to the test service on 127.0.0.1, which checks
// every compressed part with python's gzip module.
#include "ReportTestSupport.h"

#include "sdk/foundation/Json.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <regex>
#include <set>
#include <thread>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kHeaderOrder {"User-Agent",
                                             "Accept",
                                             "Accept-Charset",
                                             "Accept-Language",
                                             "Content-Language",
                                             "X-Halyard-Developer-Token",
                                             "X-Halyard-API-Client-Id",
                                             "X-Halyard-API-Client-Display-Version",
                                             "X-Halyard-API-Client-Build-Version",
                                             "X-Halyard-API-Key",
                                             "Content-Type",
                                             "Content-Length"};

std::vector<std::string> headersWithoutHost(const Value& post)
{
    auto names = test::logHeaderNames(post);
    std::erase_if(names, [](const std::string& name) { return name == "Host"; });
    return names;
}

// An answer that never comes: the service holds the connection open.
test::ServiceResponse silentAnswer()
{
    test::ServiceResponse response = acceptedAnswer();
    response.mode = "hang";
    return response;
}

double postTime(const Value& post) { return *member(post, "time")->numberValue(); }

// A package of about `length` random bytes in the kit's own form, left in
// prepared as a start that could not send it leaves it.
fs::path preparedPackage(const ReportTree& tree, std::size_t length)
{
    const std::string boundary = "6B1F0C2E-4D3A-4E5B-9C8D-7A6F5E4D3C2B";
    std::string body = "MIME-Version: 1.0\r\n--" + boundary
                       + "\r\nContent-Disposition: form-data; name=\"report_id\"\r\nContent-Type: text/plain\r\n\r\n"
                         "large\r\n--"
                       + boundary
                       + "\r\nContent-Disposition: form-data; name=\"log_a\"; filename=\"log_a.hlyrecord.gz\"\r\n"
                         "Content-Type: application/octet-stream\r\n\r\n";
    std::mt19937_64 random(length);
    body.reserve(length + 64);
    while (body.size() + 8 < length) {
        const std::uint64_t word = random();
        body.append(reinterpret_cast<const char*>(&word), sizeof word);
    }
    body += "\r\n--" + boundary + "--\r\n";
    fs::create_directories(tree.prepared());
    const fs::path package = tree.prepared() / (boundary + ".multipartmime");
    test::writeTextFile(package, body);
    return package;
}

std::string sha256Of(const fs::path& file) { return runProcess({"sha256sum", file.string()}).out.substr(0, 64); }

// The service logs a request once it has read its body, or given up on it.
std::vector<Value> reportPostsWithin(const test::TestService& service, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    auto posts = reportPosts(service);
    while (posts.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        posts = reportPosts(service);
    }
    return posts;
}

// Crashes the probe in that way; its run folder's name is the report's id.
std::string crashProbe(const fs::path& folder, const std::string& url, const std::string& kind)
{
    const auto result = runProbeAt(folder, url, kind);
    EXPECT_NE(result.signal, 0) << result.err;
    return result.runFolder().filename().string();
}

class KindsAreSent : public testing::TestWithParam<const char*> {};

} // namespace

TEST_P(KindsAreSent, OnePostWithEveryFileCompressedAndNamed)
{
    const std::string kind = GetParam();
    TempFolder folder;
    test::TestService service;
    scriptReports(service, {acceptedAnswer()});
    const std::string reportID = crashProbe(folder.path(), service.baseURL(), kind);
    ASSERT_EQ(reportID.size(), 32u);

    const auto sent = runSend(folder.path(), service.baseURL());
    EXPECT_EQ(sent.exitCode, 0) << sent.out << sent.err;

    const auto posts = reportPosts(service);
    ASSERT_EQ(posts.size(), 1u);
    const Value& post = posts[0];
    EXPECT_EQ(headersWithoutHost(post), kHeaderOrder);
    const std::string contentType = test::logHeader(post, "Content-Type");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(contentType, match,
                                 std::regex("multipart/form-data; boundary=([0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})")));
    EXPECT_NE(sent.out.find("accepted " + ReportTree(folder.path()).prepared().string() + "/" + match[1].str()
                            + ".multipartmime"),
              std::string::npos)
        << sent.out;
    EXPECT_EQ(test::logHeader(post, "Content-Length"), test::logString(post, "body_length"));
    EXPECT_EQ(test::logHeader(post, "X-Halyard-API-Client-Id"), "org.quiverleaf.halyard");
    EXPECT_EQ(test::logHeader(post, "User-Agent"), "Halyard Mac SDK/3.0.11");

    const auto names = partNames(post);
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0], "api_key");
    EXPECT_EQ(names[1], "report_id");
    EXPECT_EQ(partText(*partNamed(post, "report_id")), reportID);
    std::vector<std::string> expected {"binary_images", "errors_a", "internal_incremental_kv", "log_a", "metadata",
                                       "sdk", "signal", "signal.hlyrecord", "user_incremental_kv"};
    if (kind == "throw")
        expected.insert(expected.begin() + 2, {"exception", "exception.hlyrecord"});
    EXPECT_EQ(std::vector<std::string>(names.begin() + 2, names.end()), expected);

    const auto& parts = *member(post, "parts")->asArray();
    for (std::size_t i = 2; i < parts.size(); ++i) {
        const Value& part = parts[i];
        EXPECT_EQ(*member(part, "filename"), Value(names[i] == "sdk" ? "sdk.log.gz"
                                                   : names[i].find('.') != std::string::npos
                                                       ? names[i] + ".symbolicated.gz"
                                                       : names[i] + ".hlyrecord.gz"));
        EXPECT_EQ(*member(part, "gzip"), Value("ok")) << names[i];
        EXPECT_EQ(test::logHeader(part, "Content-Type"), "application/x-gzip");
        // The service kept the part's bytes: gzip(1) checks them too.
        bool found = false;
        for (const auto& candidate : entriesOf(service.partsDir())) {
            const std::string leaf = candidate.filename().string();
            if (leaf.size() > names[i].size() && leaf.ends_with("-" + std::to_string(i) + "-" + names[i])) {
                found = true;
                EXPECT_EQ(runProcess({"gzip", "-t", candidate.string()}).exitCode, 0) << leaf;
            }
        }
        EXPECT_TRUE(found) << names[i];
    }

    const std::string companion = partText(*partNamed(post, "signal.hlyrecord"), "gunzip_b64");
    const auto parsed = json::parse(companion.substr(0, companion.find('\n')));
    ASSERT_TRUE(parsed.value) << companion;
    const Value& crashedFrames = (*member(*parsed.value, "threads")->asArray())[0];
    bool named = false;
    for (const auto& frame : *crashedFrames.asArray())
        named = named || (*member(frame, "symbol") == Value("probeCrashHere") && *member(frame, "library") == Value("crash-probe"));
    EXPECT_TRUE(named) << companion.substr(0, 600);

    const ReportTree tree(folder.path());
    EXPECT_TRUE(entriesOf(tree.processing()).empty());
    EXPECT_TRUE(entriesOf(tree.prepared()).empty());
    const auto active = entriesOf(tree.active());
    ASSERT_EQ(active.size(), 1u);
    EXPECT_NE(active[0].filename().string(), reportID);
}

INSTANTIATE_TEST_SUITE_P(Probe, KindsAreSent,
                         testing::Values("segv", "bus", "ill", "fpe", "abrt", "throw", "stack-overflow", "trap"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

TEST(ReportSubmission, RetryAnswersRestartAfterTheirDelayAndThenSucceed)
{
    for (const long status : {503L, 429L}) {
        TempFolder folder;
        test::TestService service;
        const auto busy = answer(status, {{"Retry-After", "1"}});
        scriptReports(service, {busy, busy, acceptedAnswer()});
        crashProbe(folder.path(), service.baseURL(), "abrt");
        const auto sent = runSend(folder.path(), service.baseURL());
        EXPECT_EQ(sent.exitCode, 0) << status << sent.out;
        const auto posts = reportPosts(service);
        ASSERT_EQ(posts.size(), 3u) << status;
        EXPECT_GE(postTime(posts[1]) - postTime(posts[0]), 0.95);
        EXPECT_GE(postTime(posts[2]) - postTime(posts[1]), 0.95);
        EXPECT_TRUE(entriesOf(ReportTree(folder.path()).prepared()).empty());
    }
}

TEST(ReportSubmission, EndlessRetryAnswersStopAfterTenRestartsAndKeepThePackage)
{
    TempFolder folder;
    test::TestService service;
    // A server error first, then nothing but "busy".
    scriptReports(service, {answer(500, {{"Retry-After", "1"}}), answer(503, {{"Retry-After", "1"}})});
    crashProbe(folder.path(), service.baseURL(), "segv");
    const auto sent = runSend(folder.path(), service.baseURL());
    EXPECT_EQ(sent.exitCode, 1) << sent.out;
    EXPECT_EQ(reportPosts(service).size(), 11u);
    EXPECT_EQ(entriesOf(ReportTree(folder.path()).prepared()).size(), 1u);
}

TEST(ReportSubmission, ASilentServiceEndsAtTheIdleTimeoutAndKeepsThePackage)
{
    TempFolder folder;
    test::TestService service;
    scriptReports(service, {silentAnswer()});
    crashProbe(folder.path(), service.baseURL(), "segv");
    const auto start = std::chrono::steady_clock::now();
    const auto sent = runSend(folder.path(), service.baseURL());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(sent.exitCode, 1) << sent.out;
    EXPECT_GE(seconds, 9.5);
    EXPECT_LT(seconds, 30.0);
    EXPECT_EQ(reportPosts(service).size(), 1u);
    EXPECT_EQ(entriesOf(ReportTree(folder.path()).prepared()).size(), 1u);
}

// A large report over a slow link: the upload goes on as long as bytes move.
TEST(ReportSubmission, ALargeReportOverASlowLinkArrivesWholeAndOnce)
{
    TempFolder folder;
    test::TestService service;
    test::ServiceResponse slow = acceptedAnswer();
    slow.readRate = 3.2e6;
    scriptReports(service, {slow});
    const ReportTree tree(folder.path());
    const fs::path package = preparedPackage(tree, 40'000'000);
    const std::string digest = sha256Of(package);
    const auto length = fs::file_size(package);

    const auto start = std::chrono::steady_clock::now();
    const auto sent = runSend(folder.path(), service.baseURL());
    RecordProperty("upload_ms", std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                    std::chrono::steady_clock::now() - start)
                                                    .count()));
    EXPECT_EQ(sent.exitCode, 0) << sent.out;
    EXPECT_NE(sent.out.find("accepted " + package.string()), std::string::npos) << sent.out;
    const auto posts = reportPosts(service);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(test::logString(posts[0], "body_length"), std::to_string(length));
    EXPECT_EQ(test::logString(posts[0], "body_sha256"), digest);
    EXPECT_TRUE(entriesOf(tree.prepared()).empty());
}

// A service that stops reading: no byte moves for longer than the timeout,
// so the upload ends as a time-out and the package waits for the next try.
TEST(ReportSubmission, AServiceThatStopsReadingEndsTheUploadAtTheIdleTimeout)
{
    TempFolder folder;
    test::TestService service;
    test::ServiceResponse stalling = acceptedAnswer();
    stalling.readRate = 3.2e6;
    stalling.stallAfter = 8'000'000;
    stalling.stallSeconds = 12;
    scriptReports(service, {stalling});
    const ReportTree tree(folder.path());
    const fs::path package = preparedPackage(tree, 40'000'000);

    const auto sent = runSend(folder.path(), service.baseURL());
    EXPECT_EQ(sent.exitCode, 1) << sent.out;
    EXPECT_NE(sent.out.find("failed " + package.string() + ": HLYURLErrorDomain -1001"), std::string::npos) << sent.out;
    EXPECT_EQ(entriesOf(tree.prepared()), std::vector<fs::path> {package});
    const auto posts = reportPostsWithin(service, 20);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_LT(std::stoll(test::logString(posts[0], "body_length")), 40'000'000);
}

TEST(ReportSubmission, RefusedOrUnreachableUploadsKeepThePackageForTheNextStart)
{
    TempFolder folder;
    test::TestService service;
    const ReportTree tree(folder.path());
    crashProbe(folder.path(), service.baseURL(), "ill");

    // Nothing listening: the package is made and kept.
    const auto offline = runSend(folder.path(), "http://127.0.0.1:9");
    EXPECT_EQ(offline.exitCode, 1) << offline.out;
    ASSERT_EQ(entriesOf(tree.prepared()).size(), 1u);
    const auto package = entriesOf(tree.prepared())[0];

    test::ServiceResponse html = acceptedAnswer();
    html.headers = {{"Content-Type", "text/html"}};
    for (const auto& refusal : {answer(400), html}) {
        scriptReports(service, {refusal});
        const auto refused = runSend(folder.path(), service.baseURL());
        EXPECT_EQ(refused.exitCode, 1) << refused.out;
        EXPECT_EQ(entriesOf(tree.prepared()), std::vector<fs::path> {package});
    }

    scriptReports(service, {acceptedAnswer()});
    const auto delivered = runSend(folder.path(), service.baseURL());
    EXPECT_EQ(delivered.exitCode, 0) << delivered.out;
    EXPECT_TRUE(entriesOf(tree.prepared()).empty());
    const auto posts = reportPosts(service);
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_EQ(test::logString(posts[0], "body_b64"), test::logString(posts[2], "body_b64"));
}

TEST(ReportSubmission, KillingTheSenderNeverLosesOrTruncatesAReport)
{
    TempFolder folder;
    test::TestService service;
    test::ServiceResponse slow = acceptedAnswer();
    slow.delayMs = 40;
    scriptReports(service, {slow});
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delay(0, 250);
    std::set<std::string> crashed;
    for (int run = 0; run < 30; ++run) {
        crashed.insert(crashProbe(folder.path(), service.baseURL(), run % 2 ? "segv" : "throw"));
        BackgroundProcess sender({toolPath("crash-probe"), "--dir", folder.path().string(), "--url", service.baseURL(), "send"});
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
        sender.signal(SIGKILL);
        sender.wait();
    }
    const auto last = runSend(folder.path(), service.baseURL());
    EXPECT_EQ(last.exitCode, 0) << last.out;

    std::set<std::string> delivered;
    for (const auto& post : reportPosts(service)) {
        // A connection cut by the kill is not a delivery.
        if (test::logHeader(post, "Content-Length") != test::logString(post, "body_length"))
            continue;
        for (const auto& part : *member(post, "parts")->asArray())
            if (member(part, "gzip")) {
                EXPECT_EQ(*member(part, "gzip"), Value("ok")) << *member(part, "name")->asString();
            }
        const Value* id = partNamed(post, "report_id");
        ASSERT_NE(id, nullptr) << testing::PrintToString(partNames(post));
        ASSERT_NE(partNamed(post, "metadata"), nullptr);
        delivered.insert(partText(*id));
    }
    EXPECT_EQ(delivered, crashed);
    const ReportTree tree(folder.path());
    EXPECT_TRUE(entriesOf(tree.prepared()).empty());
    EXPECT_TRUE(entriesOf(tree.processing()).empty());
}

TEST(ReportSubmission, AReportOfALaunchThatFailedEarlyIsSentBeforeTheStartReturns)
{
    TempFolder folder;
    test::TestService service;
    const ReportTree tree(folder.path());
    scriptReports(service, {acceptedAnswer()});
    crashProbe(folder.path(), service.baseURL(), "segv");
    // As if that launch had crashed before its main queue ever ran.
    test::writeTextFile(tree.launchMarker(), "");
    const auto sent = runSend(folder.path(), service.baseURL());
    EXPECT_EQ(sent.exitCode, 0) << sent.out;
    EXPECT_EQ(sent.out.rfind("started after", 0), 0u) << sent.out;
    EXPECT_NE(sent.out.find("with 1 uploads ended"), std::string::npos) << sent.out;
    EXPECT_EQ(reportPosts(service).size(), 1u);

    // A service that never answers holds the start up for about two seconds.
    TempFolder second;
    test::TestService silent;
    scriptReports(silent, {silentAnswer()});
    crashProbe(second.path(), silent.baseURL(), "segv");
    test::writeTextFile(ReportTree(second.path()).launchMarker(), "");
    const auto held = runSend(second.path(), silent.baseURL());
    double seconds = -1;
    std::sscanf(held.out.c_str(), "started after %lf s", &seconds);
    EXPECT_GE(seconds, 1.5) << held.out;
    EXPECT_LT(seconds, 8.0) << held.out;
    EXPECT_EQ(held.exitCode, 1);
    EXPECT_EQ(entriesOf(ReportTree(second.path()).prepared()).size(), 1u);
}

// An urgent report against a service whose answer comes a byte a second:
// the start is held a few seconds at most, and the report then goes with the
// same start's own sending, delivered once.
TEST(ReportSubmission, ATricklingAnswerHoldsTheStartBrieflyAndTheReportArrivesOnce)
{
    TempFolder folder;
    test::TestService service;
    const ReportTree tree(folder.path());
    test::ServiceResponse trickle = acceptedAnswer();
    trickle.mode = "trickle";
    trickle.interval = 1.0;
    trickle.body = "{\"note\":\"" + std::string(139, '.') + "\"}";
    scriptReports(service, {trickle, acceptedAnswer()});
    const std::string id = crashProbe(folder.path(), service.baseURL(), "segv");
    test::writeTextFile(tree.launchMarker(), "");

    const auto sent = runSend(folder.path(), service.baseURL());
    double seconds = -1;
    std::sscanf(sent.out.c_str(), "started after %lf s", &seconds);
    RecordProperty("start_wait_s", std::to_string(seconds));
    EXPECT_GE(seconds, 1.0) << sent.out;
    EXPECT_LT(seconds, 8.0) << sent.out;
    EXPECT_NE(sent.out.find("HLYURLErrorDomain -1001"), std::string::npos) << sent.out;
    EXPECT_NE(sent.out.find("accepted " + tree.prepared().string()), std::string::npos) << sent.out;
    EXPECT_TRUE(entriesOf(tree.prepared()).empty());

    // The next start finds nothing left to send.
    EXPECT_EQ(runSend(folder.path(), service.baseURL()).exitCode, 0);
    int delivered = 0;
    for (const auto& post : reportPosts(service)) {
        EXPECT_EQ(partText(*partNamed(post, "report_id")), id);
        delivered += member(post, "answered") != nullptr;
    }
    EXPECT_EQ(reportPosts(service).size(), 2u);
    EXPECT_EQ(delivered, 1);
}

TEST(ReportSubmission, AFolderAnotherRunningInstanceHoldsIsLeftAlone)
{
    TempFolder folder;
    test::TestService service;
    scriptReports(service, {acceptedAnswer()});
    const ReportTree tree(folder.path());
    const std::string id = crashProbe(folder.path(), service.baseURL(), "segv");
    const fs::path run = tree.active() / id;
    {
        // Another process holds the run's lock as a live instance would.
        const auto holder = holdLockInAnotherProcess(run / ".lock");
        ASSERT_TRUE(holder);
        const auto skipped = runSend(folder.path(), service.baseURL());
        EXPECT_EQ(skipped.exitCode, 0) << skipped.out;
        EXPECT_TRUE(reportPosts(service).empty());
        EXPECT_TRUE(fs::exists(run / "signal.hlyrecord"));
    }
    const auto sent = runSend(folder.path(), service.baseURL());
    EXPECT_EQ(sent.exitCode, 0) << sent.out;
    EXPECT_EQ(reportPosts(service).size(), 1u);
}
