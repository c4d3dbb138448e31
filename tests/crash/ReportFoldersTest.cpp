// The report folders, the reports read from them, the crash reporter's
// settings and its packages, on real files.
#include "ReportTestSupport.h"

#include "crash/capture/HLYContext.h"
#include "crash/kit/HLYApplication.h"
#include "crash/kit/HLYSettings.h"
#include "crash/reports/HLYFileLock.h"
#include "crash/reports/HLYFileManager.h"
#include "crash/reports/HLYInternalReport.h"
#include "crash/reports/HLYPackageReportOperation.h"
#include "support/EnvironmentChange.h"
#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/Json.h"

#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

namespace fs = std::filesystem;

void write(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    test::writeTextFile(path, text);
}

std::vector<std::string> names(const std::vector<fs::path>& paths)
{
    std::vector<std::string> result;
    for (const auto& path : paths)
        result.push_back(path.filename().string());
    return result;
}

// A report folder as a crashed run leaves it.
fs::path makeReport(const fs::path& folder, const std::string& metadata = "")
{
    write(folder / "metadata.hlyrecord",
          metadata.empty() ? R"({"identity":{"api_key":"k3y","started_at":86400,"session_id":"abc123"}})" "\n"
                             R"({"host":{"os_display_version":"6.1.0","os_build_version":"#1 SMP"}})" "\n"
                             R"({"application":{"build_version":"7","display_version":"1.2"}})" "\n"
                           : metadata);
    write(folder / "binary_images.hlyrecord", R"({"load":{"path":"/x","uuid":"00","base":4096,"size":10}})" "\n");
    return folder;
}

// Field names of a package file's parts, in order.
std::vector<std::string> packageFields(const std::string& body)
{
    std::vector<std::string> fields;
    const std::string marker = "form-data; name=\"";
    for (auto at = body.find(marker); at != std::string::npos; at = body.find(marker, at + 1)) {
        const auto start = at + marker.size();
        fields.push_back(body.substr(start, body.find('"', start) - start));
    }
    return fields;
}

} // namespace

TEST(CrashSettings, DefaultsOverridesAndPromptTexts)
{
    info::setMainInfoDictionary(Map {{"Halyard", Map {{"UrgentReports", true}, {"ReportsEndpoint", "https://r.example"}}}});
    const HLYSettings none(std::nullopt);
    EXPECT_TRUE(none.crashReportingEnabled());
    EXPECT_TRUE(none.errorReportingEnabled());
    EXPECT_FALSE(none.userPromptEnabled());
    EXPECT_EQ(none.logBufferSize(), 65536u);
    EXPECT_EQ(none.maxCustomKeys(), 16u);
    EXPECT_EQ(none.maxCustomExceptions(), 16u);
    EXPECT_EQ(none.betaSuspendDuration(), 3600.0);
    EXPECT_EQ(none.reportsEndpoint(), "https://r.example");
    EXPECT_EQ(none.betaEndpoint(), kHLYDefaultBetaEndpoint);
    EXPECT_TRUE(none.canProcessUrgentReports());

    {
        const ql::testing::EnvironmentChange urgent("HalyardUrgentReports", "0");
        testing::internal::CaptureStderr();
        EXPECT_FALSE(none.canProcessUrgentReports());
        EXPECT_NE(testing::internal::GetCapturedStderr().find("[Halyard:Crash] override: 'UrgentReports' => '0'"),
                  std::string::npos);
    }

    const HLYSettings server(Value(Map {{"features", Map {{"collect_reports", 0}, {"prompt_enabled", 0}}},
                                        {"session", Map {{"log_buffer_size", 1024}, {"max_custom_key_value_pairs", "5"}}},
                                        {"prompt", Map {{"title", "Server title"}}}}));
    EXPECT_FALSE(server.crashReportingEnabled());
    EXPECT_FALSE(server.userPromptEnabled());
    EXPECT_EQ(server.logBufferSize(), 1024u);
    EXPECT_EQ(server.errorLogBufferSize(), 1024u);
    EXPECT_EQ(server.maxCustomKeys(), 5u);
    EXPECT_EQ(server.interactivePromptTitle(), "Server title");
    EXPECT_EQ(server.interactivePromptCancelTitle(), "Don't Send");
    HLYSetLocalizedStringProvider([](const std::string& key, const std::string& table) -> std::optional<std::string> {
        if (table == "Halyard" && key == "HalyardCrashSubmissionPromptTitle")
            return "Rapport envoyer ?";
        return std::nullopt;
    });
    EXPECT_EQ(server.interactivePromptTitle(), "Rapport envoyer ?");
    HLYSetLocalizedStringProvider(nullptr);

    EXPECT_TRUE(HLYBoolValue(Value(" +0012")));
    EXPECT_TRUE(HLYBoolValue(Value("yes")));
    EXPECT_FALSE(HLYBoolValue(Value("0")));
    EXPECT_FALSE(HLYBoolValue(Value("no")));
    info::setMainInfoDictionary(std::nullopt);
}

TEST(ReportFolders, ReportsReadTheirMetadataAndKnowWhenTheyAreWorthSending)
{
    TempFolder temp;
    const auto folder = makeReport(temp.path() / "r1");
    const auto report = HLYInternalReport::reportWithPath(folder);
    EXPECT_EQ(report->identifier(), "abc123");
    EXPECT_EQ(report->APIKey(), "k3y");
    // 86400 s after 1970 is 2 January 1970, 00:00:00 UTC.
    EXPECT_EQ(report->dateCreated(), Date {86400});
    EXPECT_EQ(report->OSVersion(), "6.1.0");
    EXPECT_EQ(report->OSBuildVersion(), "#1 SMP");
    EXPECT_EQ(report->bundleVersion(), "7");
    EXPECT_EQ(report->bundleShortVersionString(), "1.2");
    EXPECT_FALSE(report->needsToBeSubmitted());
    write(folder / "log_a.hlyrecord", "");
    write(folder / "user_incremental_kv.hlyrecord", "");
    EXPECT_FALSE(report->needsToBeSubmitted());
    write(folder / "errors_b.hlyrecord", "");
    EXPECT_TRUE(report->needsToBeSubmitted());

    const auto single = HLYInternalReport::reportWithPath(
        makeReport(temp.path() / "r2", R"({"identity":{"session_id":"x"}})" "\n"));
    EXPECT_EQ(single->identifier(), "x");
    EXPECT_EQ(single->bundleVersion(), std::nullopt);
    EXPECT_EQ(single->APIKey(), std::nullopt);
    testing::internal::CaptureStderr();
    EXPECT_EQ(HLYInternalReport::reportWithPath(temp.path() / "empty")->identifier(), std::nullopt);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Unable to read identifier"), std::string::npos);
}

TEST(ReportFolders, HiddenAndLockedEntriesAreLeftAlone)
{
    TempFolder temp;
    const HLYFileManager files(temp.path() / "root");
    ASSERT_TRUE(files.prepareForNewLaunch());
    for (const char* name : {"b", "a", ".hidden", "c"})
        write(files.activePath() / name / "signal.hlyrecord", "{}\n");
    EXPECT_EQ(names(files.activePathContents()), (std::vector<std::string> {"a", "b", "c"}));

    // Another process holds "b" (through a child, so the lock is not ours).
    const auto holder = holdLockInAnotherProcess(files.activePath() / "b" / ".lock");
    ASSERT_TRUE(holder);
    EXPECT_TRUE(HLYFileLock::isLockedElsewhere(files.activePath() / "b"));
    EXPECT_FALSE(HLYFileLock::isLockedElsewhere(files.activePath() / "a"));

    // A move stops at the first failure: "a" moves, "b" is held, "c" stays.
    EXPECT_FALSE(files.moveItemsFromDirectory(files.activePath(), files.processingPath()));
    EXPECT_EQ(names(files.processingPathContents()), (std::vector<std::string> {"a"}));
    EXPECT_EQ(names(files.activePathContents()), (std::vector<std::string> {"b", "c"}));
    // A removal tries every entry.
    EXPECT_FALSE(files.removeContentsOfDirectoryAtPath(files.activePath()));
    EXPECT_EQ(names(files.activePathContents()), (std::vector<std::string> {"b"}));
    EXPECT_TRUE(fs::exists(files.activePath() / ".hidden" / "signal.hlyrecord"));

    // Our own lock does not stand in our way.
    const auto own = HLYFileLock::tryLock(files.processingPath() / "a", true);
    ASSERT_TRUE(own);
    EXPECT_FALSE(HLYFileLock::isLockedElsewhere(files.processingPath() / "a"));
    EXPECT_FALSE(HLYFileLock::tryLock(files.activePath() / "b"));
    EXPECT_TRUE(files.removeItemAtPath(files.processingPath() / "a"));

    // The legacy marker takes the whole tree with it.
    write(files.legacyMarkerPath(), "");
    testing::internal::CaptureStderr();
    files.removeLegacyDirectories();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Removed legacy structure"), std::string::npos);
    EXPECT_FALSE(fs::exists(files.rootPath()));
}

TEST(ReportPackaging, EveryFileIsSentCompressedUnderItsFieldName)
{
    TempFolder temp;
    const auto files = std::make_shared<HLYFileManager>(temp.path() / "root");
    ASSERT_TRUE(files.get()->prepareForNewLaunch());
    const auto folder = makeReport(files->processingPath() / "run");
    write(folder / "signal.hlyrecord", R"({"signal":{"number":11}})" "\n");
    write(folder / "signal.hlyrecord.symbolicated", R"({"threads":[]})" "\n");
    write(folder / "signal.hlyrecord.gz", "left by an interrupted packaging");
    write(folder / ".lock", "");

    HLYPackageReportOperation package(HLYInternalReport::reportWithPath(folder), files);
    package.main();
    ASSERT_TRUE(package.finalPath());
    const auto body = readText(*package.finalPath());
    const std::string boundary = package.finalPath()->stem().string();
    EXPECT_EQ(package.finalPath()->extension(), ".multipartmime");
    EXPECT_EQ(body.rfind("MIME-Version: 1.0\r\n--" + boundary + "\r\n", 0), 0u);
    EXPECT_TRUE(body.ends_with("--" + boundary + "--\r\n"));
    EXPECT_EQ(packageFields(body), (std::vector<std::string> {"api_key", "report_id", "binary_images", "metadata",
                                                              "signal", "signal.hlyrecord"}));
    EXPECT_NE(body.find("filename=\"signal.hlyrecord.symbolicated.gz\""), std::string::npos);
    EXPECT_EQ(runProcess({"gzip", "-t", (folder / "signal.hlyrecord.gz").string()}).exitCode, 0);
    EXPECT_EQ(runProcess({"gzip", "-dc", (folder / "signal.hlyrecord.gz").string()}).out, readText(folder / "signal.hlyrecord"));
    EXPECT_EQ(entriesOf(files->preparedPath()).size(), 1u);

    // Without a key or an identifier the value parts are left out.
    const auto bare = makeReport(files->processingPath() / "bare", R"({"host":{}})" "\n");
    write(bare / "signal.hlyrecord", "{}\n");
    HLYPackageReportOperation second(HLYInternalReport::reportWithPath(bare), files);
    second.main();
    ASSERT_TRUE(second.finalPath());
    EXPECT_EQ(packageFields(readText(*second.finalPath())),
              (std::vector<std::string> {"binary_images", "metadata", "signal"}));
}

TEST(ReportPackaging, AFileThatCannotBeCompressedWholeLeavesNoPackage)
{
    TempFolder temp;
    const auto files = std::make_shared<HLYFileManager>(temp.path() / "root");
    ASSERT_TRUE(files->prepareForNewLaunch());
    const auto folder = makeReport(files->processingPath() / "run");
    std::mt19937 random(7);
    std::string noise(200000, '\0');
    for (auto& byte : noise)
        byte = char(random());
    write(folder / "signal.hlyrecord", noise);

    // A full disk, as far as this process can tell: writes past 64 KiB fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 65536;
    setrlimit(RLIMIT_FSIZE, &small);
    HLYPackageReportOperation package(HLYInternalReport::reportWithPath(folder), files);
    package.main();
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(package.finalPath());
    EXPECT_TRUE(entriesOf(files->preparedPath()).empty());
    std::error_code error;
    std::size_t hidden = 0;
    for (const auto& entry : fs::directory_iterator(files->preparedPath(), error))
        hidden += entry.path().filename().string()[0] == '.';
    EXPECT_EQ(hidden, 0u);
    EXPECT_TRUE(fs::exists(folder / "signal.hlyrecord"));
}

TEST(ApplicationHelpers, ExtensionsAndTerminationHolds)
{
    TempFolder temp;
    EXPECT_FALSE(HLYApplicationIsExtension());
    info::setMainInfoDictionary(Map {{"NSExtension", Map {{"NSExtensionPointIdentifier", "org.example.share"}}}});
    EXPECT_EQ(HLYApplicationExtensionPointIdentifier(), "org.example.share");
    info::setMainInfoDictionary(Map {{"NSExtension", "not a dictionary"}});
    EXPECT_FALSE(HLYApplicationIsExtension());
    info::setMainInfoDictionary(std::nullopt);

    const auto token = HLYApplicationBeginActivity(0xC000, "Halyard Crash Report Processing");
    ASSERT_TRUE(token);
    EXPECT_EQ(*token->find("reason"), Value("Halyard Crash Report Processing"));
    EXPECT_FALSE(HLYApplicationSuddenTerminationEnabled());
    EXPECT_FALSE(HLYApplicationAutomaticTerminationEnabled());
    HLYApplicationEndActivity(token);
    EXPECT_TRUE(HLYApplicationSuddenTerminationEnabled());
    EXPECT_TRUE(HLYApplicationAutomaticTerminationEnabled());
}
