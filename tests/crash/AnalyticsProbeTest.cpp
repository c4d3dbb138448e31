// analytics-probe runs the kit's analytics in real processes against the
// test service on 127.0.0.1, which reads every uploaded log with python's
// gzip; the logs are then read back line by line through their length fields.
#include "ReportTestSupport.h"

#include "sdk/foundation/Base64.h"
#include "sdk/foundation/Json.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

namespace fs = std::filesystem;

constexpr const char* kSettingsPath = "/spi/v2/platforms/linux/apps/org.quiverleaf.crash-probe/settings";
constexpr const char* kUploadPath = "/analytics";

const std::vector<std::string> kHeaderOrder {"User-Agent",
                                             "X-HALYARD-DEVELOPER-TOKEN",
                                             "X-HALYARD-API-CLIENT-TYPE",
                                             "X-HALYARD-API-CLIENT-VERSION",
                                             "X-HALYARD-API-CLIENT-DISPLAY-VERSION",
                                             "X-HALYARD-API-CLIENT-BUILD-VERSION",
                                             "X-HALYARD-API-KEY",
                                             "Content-Type",
                                             "Content-Length"};

const std::vector<std::string> kMetadataKeys {"generator", "links_ad_support", "advertising_tracking_enabled",
                                              "api_key", "session_id", "started_at", "install_id", "model", "machine",
                                              "locale", "os_build", "os_version", "platform", "platform_code", "cores",
                                              "jailbroken", "bundle_id", "bundle_version", "bundle_short_version",
                                              "instance_id"};

struct Record {
    std::uint64_t timestamp = 0;
    std::string key;
    Value payload;
};

// One uploaded log: its part's name, its records in order, and its length
// before its last record.
struct Log {
    std::string part;
    std::vector<Record> records;
    std::size_t lengthBeforeLast = 0;
    std::string session() const { return records.empty() ? "" : logString(records[0].payload, "session_id"); }
    static std::string logString(const Value& object, const char* key)
    {
        const Value* value = member(object, key);
        return value && value->asString() ? *value->asString() : "";
    }
};

// Reads "timestamp TAB key [TAB length TAB payload] LF" lines; a line that
// breaks the format fails the test.
std::vector<Record> readLog(const std::string& text)
{
    std::vector<Record> records;
    std::size_t at = 0;
    while (at < text.size()) {
        Record record;
        const auto tab = text.find('\t', at);
        const auto end = text.find_first_of("\t\n", tab + 1);
        EXPECT_NE(end, std::string::npos) << text.substr(at);
        if (tab == std::string::npos || end == std::string::npos)
            break;
        record.timestamp = std::stoull(text.substr(at, tab - at));
        record.key = text.substr(tab + 1, end - tab - 1);
        at = end + 1;
        if (text[end] == '\t') {
            const auto lengthEnd = text.find('\t', at);
            const std::size_t length = std::stoul(text.substr(at, lengthEnd - at));
            const auto parsed = json::parse(text.substr(lengthEnd + 1, length));
            EXPECT_TRUE(parsed.value) << record.key;
            record.payload = parsed.value.value_or(Value());
            at = lengthEnd + 1 + length;
            EXPECT_EQ(text[at], '\n') << "the length field of " << record.key << " is wrong";
            ++at;
        }
        records.push_back(std::move(record));
    }
    return records;
}

void serve(const test::TestService& service, Map analytics, long uploadStatus = 200)
{
    if (!analytics.contains("url"))
        analytics.set("url", service.baseURL() + kUploadPath);
    analytics.set("track_custom_events", true);
    const std::string settings =
        json::serialize(Value(Map {{"features", Map {{"collect_analytics", true}}}, {"analytics", analytics}}));
    service.script({{"GET", kSettingsPath, {{200, {{"Content-Type", "application/json"}}, settings}}},
                     {"POST", kUploadPath, {{uploadStatus, {}, ""}}}});
}

ProcessResult runAnalytics(const fs::path& folder, const test::TestService& service, std::vector<std::string> steps,
                           const ProcessLimits& limits = {})
{
    std::vector<std::string> argv {toolPath("analytics-probe"), "--dir", folder.string(), "--url", service.baseURL()};
    argv.insert(argv.end(), steps.begin(), steps.end());
    auto result = runProcess(argv, {}, limits);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("session=", 0), 0u) << result.out;
    return result;
}

std::string sessionOf(const ProcessResult& run) { return run.out.substr(8, run.out.find('\n') - 8); }

// Every log of every upload, checked as the service received it.
std::vector<Log> uploadedLogs(const test::TestService& service)
{
    std::vector<Log> logs;
    for (const auto& entry : service.log()) {
        if (test::logString(entry, "path") != kUploadPath)
            continue;
        auto headers = test::logHeaderNames(entry);
        std::erase(headers, std::string("Host"));
        EXPECT_EQ(headers, kHeaderOrder);
        EXPECT_EQ(test::logHeader(entry, "Content-Length"), test::logString(entry, "body_length"));
        for (const auto& part : *member(entry, "parts")->asArray()) {
            const std::string name = *member(part, "name")->asString();
            EXPECT_EQ(*member(part, "filename"), Value(name));
            EXPECT_EQ(test::logHeader(part, "Content-Type"), "application/vnd.halyard.ios.events");
            EXPECT_EQ(*member(part, "gzip"), Value("ok")) << name;
            const std::string text = partText(part, "gunzip_b64");
            const std::size_t last = text.size() < 2 ? 0 : text.rfind('\n', text.size() - 2);
            logs.push_back({name, readLog(text), last == std::string::npos ? 0 : last + 1});
            const auto& records = logs.back().records;
            EXPECT_TRUE(!records.empty() && records[0].key == "metadata") << name;
        }
    }
    // gzip(1) checks the bytes the service kept too.
    for (const auto& file : entriesOf(service.partsDir())) {
        if (file.extension() == ".zip") {
            EXPECT_EQ(runProcess({"gzip", "-t", file.string()}).exitCode, 0) << file;
        }
    }
    return logs;
}

// Every event (metadata records aside) by its identifier, which must be new each time.
std::map<std::string, std::pair<std::string, Record>> eventsById(const std::vector<Log>& logs)
{
    std::map<std::string, std::pair<std::string, Record>> events;
    for (const auto& log : logs)
        for (std::size_t i = 1; i < log.records.size(); ++i) {
            const std::string id = Log::logString(log.records[i].payload, "eventId");
            EXPECT_TRUE(events.emplace(id, std::make_pair(log.session(), log.records[i])).second) << "sent twice: " << id;
        }
    return events;
}

fs::path analyticsState(const fs::path& folder, const char* state)
{
    return ReportTree(folder).structure.parent_path() / "analytics" / "v1" / state;
}

std::string closedPortURL()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + kUploadPath;
}

} // namespace

TEST(AnalyticsProbe, UploadsEveryLogCompressedAfterItsMetadata)
{
    TempFolder folder;
    test::TestService service;
    serve(service, {{"max_pending_send_file_count", 10}});
    const auto run = runAnalytics(folder.path(), service, {"custom:first", "login:email", "active"});
    const auto logs = uploadedLogs(service);

    std::set<std::string> parts;
    for (const auto& log : logs) {
        parts.insert(log.part);
        const Value& metadata = log.records[0].payload;
        std::vector<std::string> keys;
        for (const auto& [key, value] : *metadata.asMap())
            keys.push_back(key);
        std::vector<std::string> expected = kMetadataKeys;
        if (!metadata.asMap()->contains("model")) // a machine that names no model
            std::erase_if(expected, [](const std::string& key) { return key == "model" || key == "machine"; });
        EXPECT_EQ(keys, expected);
        EXPECT_EQ(log.session(), sessionOf(run));
    }
    EXPECT_EQ(parts, (std::set<std::string> {"0.log.zip", "1.log.zip", "2.log.zip"}));

    std::multiset<std::string> seen;
    for (const auto& [id, event] : eventsById(logs)) {
        const Record& record = event.second;
        const std::string kind = record.key == "predefined" ? Log::logString(record.payload, "predefined_type")
                                 : record.key == "custom"   ? Log::logString(record.payload, "custom_type")
                                                            : record.key;
        seen.insert(kind);
        if (kind == "login") {
            EXPECT_EQ(*member(record.payload, "predefined_attributes"), Value(Map {{"success", "true"}, {"method", "email"}}));
        }
        if (kind == "first") {
            EXPECT_EQ(*member(record.payload, "custom_attributes"), Value(Map {{"n", 1}}));
        }
    }
    EXPECT_EQ(seen, (std::multiset<std::string> {"app_installed", "app_launched", "first", "login", "app_became_active"}));
}

TEST(AnalyticsProbe, FullLogsAreSentAsTheyFillUpEachEventOnce)
{
    TempFolder folder;
    test::TestService service;
    serve(service, {{"max_byte_size_per_file", 4096}, {"max_pending_send_file_count", 1000}});
    // Each event waits for the maintenance it sets off, so that the roll
    // does not depend on how soon the maintenance queue gets the processor.
    runAnalytics(folder.path(), service, {"fillsent:300", "maintain"});
    const auto logs = uploadedLogs(service);
    const auto filledLogs = std::count_if(logs.begin(), logs.end(), [](const Log& log) {
        return std::any_of(log.records.begin(), log.records.end(), [](const Record& record) {
            return record.key == "custom" && Log::logString(record.payload, "custom_type") == "fill";
        });
    });
    // Some 45 kB of events in logs of 4 kB, each closed by the event that filled it.
    EXPECT_GE(filledLogs, 10);
    for (const auto& log : logs)
        EXPECT_LE(log.lengthBeforeLast, 4096u) << log.part;
    const auto events = eventsById(logs);
    std::multiset<std::int64_t> filled;
    for (const auto& [id, event] : events)
        if (const Value* attributes = member(event.second.payload, "custom_attributes"))
            filled.insert(*member(*attributes, "i")->asInt());
    ASSERT_EQ(filled.size(), 300u);
    EXPECT_EQ(std::set<std::int64_t>(filled.begin(), filled.end()).size(), 300u);
}

TEST(AnalyticsProbe, FragmentsWaitOfflineAndGoWithTheNextRun)
{
    TempFolder folder;
    test::TestService service;
    serve(service, {{"url", closedPortURL()}, {"max_pending_send_file_count", 100}});
    runAnalytics(folder.path(), service, {"custom:offline", "active"});
    EXPECT_FALSE(entriesOf(analyticsState(folder.path(), "PACKAGED")).empty());

    serve(service, {{"max_pending_send_file_count", 100}});
    runAnalytics(folder.path(), service, {"custom:online", "maintain"});
    std::multiset<std::string> kinds;
    for (const auto& [id, event] : eventsById(uploadedLogs(service)))
        kinds.insert(event.second.key == "custom" ? Log::logString(event.second.payload, "custom_type") : event.second.key);
    EXPECT_EQ(kinds, (std::multiset<std::string> {"app_installed", "app_launched", "app_launched", "offline",
                                                  "app_became_active", "online"}));
    EXPECT_TRUE(entriesOf(analyticsState(folder.path(), "PACKAGED")).empty());
}

TEST(AnalyticsProbe, ThePreviousRunsCrashIsFiledInItsSession)
{
    TempFolder folder;
    test::TestService service;
    serve(service, {{"max_pending_send_file_count", 100}});
    const auto crashed = runProbeAt(folder.path(), service.baseURL(), "segv");
    ASSERT_NE(crashed.signal, 0) << crashed.err;
    const std::string metadata = readText(crashed.runFolder() / "metadata.hlyrecord");
    const auto identity = json::parse(metadata.substr(0, metadata.find('\n')));
    ASSERT_TRUE(identity.value) << metadata;
    const Value& record = *member(*identity.value, "identity");
    const std::string crashedSession = *member(record, "session_id")->asString();
    const std::int64_t startedAt = *member(record, "started_at")->asInt();

    runAnalytics(folder.path(), service, {"maintain"});
    int found = 0;
    for (const auto& log : uploadedLogs(service))
        if (log.records.size() > 1 && log.records[1].key == "app_crashed") {
            ++found;
            EXPECT_EQ(log.session(), crashedSession);
            EXPECT_EQ(log.records[1].timestamp, std::uint64_t(startedAt) * 1000);
            EXPECT_EQ(log.part, "1.log.zip");
        }
    EXPECT_EQ(found, 1);
}

// Logs in the tree that the kit did not write: a packaged log of 3 GB, and
// files hard-linked in from outside. Under an address-space limit far below
// the big log, the kit sends what is its own, drops the rest with a line in
// its log, and leaves the outside files as they were.
TEST(AnalyticsProbe, OnlyLogsTheKitWroteAreSentAndAHugeOneIsDropped)
{
    TempFolder folder;
    test::TestService service;
    serve(service, {{"max_pending_send_file_count", 100}});
    const fs::path packaged = analyticsState(folder.path(), "PACKAGED") / "1600000000000_OLD" / "1600000000001_F";
    const fs::path active = analyticsState(folder.path(), "ACTIVE") / "1600000000000_OLD" / "1600000000002_G";
    fs::create_directories(packaged);
    fs::create_directories(active);
    auto gzipped = [](const fs::path& path, const std::string& text) {
        test::writeTextFile(path, text);
        EXPECT_EQ(runProcess({"gzip", "-f", path.string()}).exitCode, 0);
        return path.string() + ".gz";
    };
    fs::rename(gzipped(folder.path() / "own", "1600000000001\tmetadata\n"), packaged / "1.log.zip");
    const fs::path secret = folder.path() / "secret";
    test::writeTextFile(secret, "1600000000001\tmetadata\n1600000000001\tSECRET\n");
    const fs::path secretZip = gzipped(folder.path() / "secret-zip", readText(secret));
    fs::create_hard_link(secretZip, packaged / "2.log.zip");
    fs::create_hard_link(secret, active / "2.log");
    test::writeTextFile(packaged / "0.log.zip", "");
    fs::resize_file(packaged / "0.log.zip", 3ull << 30); // sparse

    const auto run = runAnalytics(folder.path(), service, {"maintain"}, {1024ull * 1024 * 1024, 240});
    EXPECT_EQ(run.signal, 0) << run.err;
    EXPECT_NE(run.err.find("Dropping " + (packaged / "0.log.zip").string()), std::string::npos) << run.err;
    int own = 0;
    for (const auto& log : uploadedLogs(service)) {
        own += log.records.size() == 1 && log.records[0].timestamp == 1600000000001;
        for (const auto& record : log.records)
            EXPECT_NE(record.key, "SECRET") << log.part;
    }
    EXPECT_EQ(own, 1);
    EXPECT_FALSE(fs::exists(packaged.parent_path()));
    EXPECT_EQ(readText(secret), "1600000000001\tmetadata\n1600000000001\tSECRET\n");
    EXPECT_TRUE(fs::exists(secretZip));
}

// Active logs the kit cannot have written as they stand: one a killed run's
// fragment left and that grew to 3 GB (sparse), and one that another process
// extends to 3 GB as soon as the kit begins to compress it. Under an
// address-space limit far below them, the first is dropped with a line in
// the kit's log, the second goes only as it was when the kit looked at it,
// no uploaded log expands past the bound, and the kit's own logs still go.
TEST(AnalyticsProbe, AnOversizedOrGrowingActiveLogNeverGoesPastTheBound)
{
    TempFolder folder;
    test::TestService service;
    serve(service, {{"max_pending_send_file_count", 100}});
    const fs::path session = analyticsState(folder.path(), "ACTIVE") / "1600000000000_OLD";
    const fs::path huge = session / "1600000000002_G" / "1.log";
    const fs::path growing = session / "1600000000003_H" / "2.log";
    fs::create_directories(huge.parent_path());
    fs::create_directories(growing.parent_path());
    test::writeTextFile(huge, "1600000000002\tmetadata\n");
    fs::resize_file(huge, 3ull << 30);
    std::string lines = "1600000000003\tmetadata\n";
    while (lines.size() < (4u << 20))
        lines += "1600000000003\tgrowing\n";
    test::writeTextFile(growing, lines);

    // The other process: it extends the log once the kit writes its package.
    const fs::path compressing = analyticsState(folder.path(), "PACKAGED") / "1600000000000_OLD" / "1600000000003_H.prep" / "2.log.zip";
    const int extender = ::open(growing.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(extender, 0);
    std::atomic<bool> done {false};
    std::thread grow([&] {
        while (!done && !fs::exists(compressing))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (!done) {
            EXPECT_EQ(::ftruncate(extender, off_t(3ull << 30)), 0);
        }
    });
    const auto run = runAnalytics(folder.path(), service, {"custom:own", "maintain"}, {1024ull * 1024 * 1024, 240});
    done = true;
    grow.join();
    ::close(extender);

    EXPECT_EQ(run.signal, 0) << run.err;
    EXPECT_NE(run.err.find("Dropping " + huge.string()), std::string::npos) << run.err;
    for (const auto& entry : service.log())
        if (const Value* parts = member(entry, "parts"))
            for (const auto& part : *parts->asArray()) {
                const Value* length = member(part, "gunzip_length");
                ASSERT_NE(length, nullptr) << *member(part, "name")->asString();
                EXPECT_LE(*length->asInt(), 64ll << 20) << *member(part, "name")->asString();
            }
    std::multiset<std::string> kinds;
    std::size_t grown = 0;
    for (const auto& log : uploadedLogs(service)) {
        if (!log.records.empty() && log.records[0].timestamp == 1600000000003)
            grown = log.records.size();
        for (const auto& record : log.records)
            if (record.key != "metadata" && record.key != "growing")
                kinds.insert(record.key == "custom" ? Log::logString(record.payload, "custom_type") : record.key);
    }
    EXPECT_EQ(grown, std::count(lines.begin(), lines.end(), '\n'));
    EXPECT_EQ(kinds, (std::multiset<std::string> {"app_installed", "app_launched", "own"}));
    EXPECT_TRUE(entriesOf(analyticsState(folder.path(), "PACKAGED")).empty());
}

// A run's last log is packaged by the next run, which may have been served a
// smaller size per log: that size governs writing, so the larger log still
// goes, every event of it once.
TEST(AnalyticsProbe, ALogWrittenBeforeTheSizeWasLoweredStillGoesWhole)
{
    TempFolder folder;
    test::TestService service;
    serve(service, {{"max_pending_send_file_count", 100}});
    runAnalytics(folder.path(), service, {"fill:12000"});
    serve(service, {{"max_byte_size_per_file", 65536}, {"max_pending_send_file_count", 100}});
    const auto second = runAnalytics(folder.path(), service, {"maintain"});
    EXPECT_EQ(second.err.find("Dropping"), std::string::npos) << second.err;

    std::set<std::int64_t> filled;
    std::size_t count = 0;
    for (const auto& [id, event] : eventsById(uploadedLogs(service)))
        if (const Value* attributes = member(event.second.payload, "custom_attributes")) {
            filled.insert(*member(*attributes, "i")->asInt());
            ++count;
        }
    RecordProperty("events_arrived", std::to_string(count));
    EXPECT_EQ(count, 12000u);
    EXPECT_EQ(filled.size(), 12000u);
}

TEST(AnalyticsProbe, TwoRunningInstancesShareTheTreeWithoutLossOrRepeats)
{
    TempFolder folder;
    test::TestService service;
    serve(service, {{"max_byte_size_per_file", 2048}, {"max_pending_send_file_count", 10000}});
    const std::vector<std::string> steps {"fill:100", "maintain", "fill:50"};
    auto first = std::async(std::launch::async, [&] { return runAnalytics(folder.path(), service, steps); });
    auto second = std::async(std::launch::async, [&] { return runAnalytics(folder.path(), service, steps); });
    const std::set<std::string> sessions {sessionOf(first.get()), sessionOf(second.get())};
    runAnalytics(folder.path(), service, {"maintain"});

    std::map<std::tuple<std::string, std::int64_t, std::int64_t>, int> filled;
    for (const auto& [id, event] : eventsById(uploadedLogs(service)))
        if (const Value* attributes = member(event.second.payload, "custom_attributes")) {
            EXPECT_TRUE(sessions.count(event.first)) << event.first;
            ++filled[{event.first, *member(*attributes, "n")->asInt(), *member(*attributes, "i")->asInt()}];
        }
    EXPECT_EQ(filled.size(), 300u);
    for (const auto& [key, count] : filled)
        EXPECT_EQ(count, 1) << std::get<0>(key) << " step " << std::get<1>(key) << " event " << std::get<2>(key);
}
