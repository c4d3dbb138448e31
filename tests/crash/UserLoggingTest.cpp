// Custom keys, log lines and errors of a run, written by the kit in this
// process into a real report folder and read back with the record reader.
#include "CrashTestSupport.h"

#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYFile.h"
#include "crash/kit/Halyard.h"
#include "crash/logging/HLYUserLogging.h"
#include "crash/reports/HLYReport.h"
#include "sdk/foundation/Dispatch.h"

#include <gtest/gtest.h>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

namespace fs = std::filesystem;

struct Limits {
    std::uint32_t logBufferSize = 65536;
    bool errorReportingEnabled = true;
    std::uint32_t maxCustomKeys = 16;
};

// The capture core set up on a fresh report folder for one test, and taken
// down again after it.
class RunFolder {
public:
    explicit RunFolder(const Limits& limits)
    {
        m_folder = m_temp.path() / "run";
        fs::create_directories(m_folder);
        const std::string folder = m_folder.string();
        HLYContextInitData init;
        init.apiKey = "key";
        init.reportFolder = folder.c_str();
        init.sessionIdentifier = "session";
        init.installIdentifier = "install";
        init.logBufferSize = limits.logBufferSize;
        init.errorLogBufferSize = limits.logBufferSize;
        init.errorReportingEnabled = limits.errorReportingEnabled;
        init.maxCustomKeys = limits.maxCustomKeys;
        HLYContextInitialize(&init);
    }
    ~RunFolder()
    {
        settle();
        HLYContextBaseDeinit();
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    fs::path file(const char* name) const { return m_folder / name; }
    // Waits for what the logging queue still has to do (compaction, rotation).
    static void settle()
    {
        if (const auto queue = HLYLoggingQueue())
            queue->sync([] {});
    }

private:
    TempFolder m_temp;
    fs::path m_folder;
};

} // namespace

TEST(UserLogging, ValuesDescribeThemselvesAsTheServiceReadsThem)
{
    EXPECT_EQ(HLYValueDescription(Value("text")), "text");
    EXPECT_EQ(HLYValueDescription(Value(42)), "42");
    EXPECT_EQ(HLYValueDescription(Value(1.5)), "1.5");
    EXPECT_EQ(HLYValueDescription(Value(0.1)), "0.1");
    EXPECT_EQ(HLYValueDescription(Value(true)), "1");
    EXPECT_EQ(HLYValueDescription(Value(false)), "0");
    EXPECT_EQ(HLYValueDescription(Value()), std::nullopt);
    EXPECT_EQ(HLYValueDescription(std::nullopt), std::nullopt);
}

TEST(UserLogging, FloatKeysAreWrittenInTheirShortestFormAsFloats)
{
    RunFolder run(Limits {});
    const auto kit = Halyard::sharedInstance();
    kit->setFloatValue(0.1f, "ratio");
    kit->setFloatValue(3.3f, "zoom");
    kit->setFloatValue(1.5f, "half");
    kit->setFloatValue(16777216.0f, "large");
    kit->setFloatValue(1e-45f, "tiny");
    RunFolder::settle();
    const std::vector<std::pair<std::string, std::string>> expected {
        {"ratio", "0.1"}, {"zoom", "3.3"}, {"half", "1.5"}, {"large", "16777216"}, {"tiny", "1e-45"}};
    EXPECT_EQ(keyValues(run.file("user_incremental_kv.hlyrecord")), expected);
}

TEST(UserLogging, KeysAreCompactedEvery64LinesKeepingTheLatestAndAtMostTheMaximum)
{
    RunFolder run(Limits {.maxCustomKeys = 8});
    const fs::path incremental = run.file("user_incremental_kv.hlyrecord");
    const fs::path compacted = run.file("user_compacted_kv.hlyrecord");
    for (int i = 0; i < 10; ++i)
        HLYUserLoggingRecordUserKeyValue("key" + std::to_string(i), Value(i));
    HLYUserLoggingRecordUserKeyValue("key3", std::nullopt); // removed at compaction
    HLYUserLoggingRecordUserKeyValue("key5", Value(2.5));
    for (int i = 12; i < 63; ++i)
        HLYUserLoggingRecordUserKeyValue("key9", Value("latest"));
    RunFolder::settle();
    EXPECT_EQ(keyValues(incremental).size(), 63u);
    EXPECT_FALSE(fs::exists(compacted));

    HLYUserLoggingRecordUserKeyValue("key0", Value(true));
    RunFolder::settle();
    EXPECT_FALSE(fs::exists(incremental));
    // Nine live keys over a maximum of eight: exactly one, the first, goes.
    const auto kept = keyValues(compacted);
    const std::vector<std::pair<std::string, std::string>> expected {
        {"key1", "1"}, {"key2", "2"}, {"key4", "4"}, {"key5", "2.5"},
        {"key6", "6"}, {"key7", "7"}, {"key8", "8"}, {"key9", "latest"}};
    EXPECT_EQ(kept, expected);
    EXPECT_TRUE(pythonParsesEveryLine(compacted));

    // The next lines start a new incremental file; the next compaction merges.
    HLYUserLoggingRecordUserKeyValue("key1", std::nullopt);
    for (int i = 0; i < 63; ++i)
        HLYUserLoggingRecordUserKeyValue("key2", Value("again"));
    RunFolder::settle();
    const auto merged = keyValues(compacted);
    ASSERT_EQ(merged.size(), 7u);
    EXPECT_EQ(merged.front(), (std::pair<std::string, std::string> {"key2", "again"}));
}

TEST(UserLogging, AFullLogFileMakesTheOtherOneCurrent)
{
    RunFolder run(Limits {.logBufferSize = 300});
    const fs::path a = run.file("log_a.hlyrecord");
    const fs::path b = run.file("log_b.hlyrecord");
    std::size_t lines = 0;
    while (!fs::exists(a) || fs::file_size(a) <= 300) {
        HLYLogOnly("line %zu of the first file", lines++);
        RunFolder::settle();
    }
    EXPECT_FALSE(fs::exists(b));
    HLYLogOnly("%s", "first line of b");
    RunFolder::settle();
    ASSERT_TRUE(fs::exists(b));
    const auto records = readRecords(b);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(fromHex(*member(*member(records[0], "log"), "msg")->asString()), "first line of b");
    EXPECT_TRUE(member(*member(records[0], "log"), "time")->asInt());
    EXPECT_EQ(readRecords(a).size(), lines);

    // Filling b in turn starts a afresh.
    while (fs::exists(a))
        HLYLogOnly("%s", "filling b"), RunFolder::settle();
    HLYLogOnly("%s", "a again");
    RunFolder::settle();
    EXPECT_EQ(readRecords(a).size(), 1u);
}

TEST(UserLogging, ErrorsCarryDomainCodeStackAndInformation)
{
    RunFolder run(Limits {});
    HLYUserLoggingRecordError(KitError {"org.example.errors", -17, Map {{"reason", "disk full"}, {"count", 3}}, {}},
                              Map {{"file", "a.qvleaf"}});
    RunFolder::settle();
    const auto records = readRecords(run.file("errors_a.hlyrecord"));
    ASSERT_EQ(records.size(), 1u);
    const Value& error = *member(records[0], "error");
    EXPECT_EQ(fromHex(*member(error, "domain")->asString()), "org.example.errors");
    EXPECT_EQ(*member(error, "code"), Value(-17));
    EXPECT_GT(member(error, "stacktrace")->asArray()->size(), 1u);
    const auto& info = *member(error, "info")->asArray();
    ASSERT_EQ(info.size(), 2u);
    EXPECT_EQ(fromHex(*info[1].asArray()->at(0).asString()), "count");
    EXPECT_EQ(fromHex(*info[1].asArray()->at(1).asString()), "3");
    EXPECT_EQ(fromHex(*member(error, "extra_info")->asArray()->at(0).asArray()->at(1).asString()), "a.qvleaf");
}

TEST(UserLogging, WithErrorReportingOffNoErrorFileIsEverMade)
{
    RunFolder run(Limits {.errorReportingEnabled = false});
    for (int i = 0; i < 5; ++i)
        HLYUserLoggingRecordError(KitError {"domain", i, {}, {}}, std::nullopt);
    HLYLogOnly("%s", "logs still work");
    RunFolder::settle();
    EXPECT_FALSE(fs::exists(run.file("errors_a.hlyrecord")));
    EXPECT_FALSE(fs::exists(run.file("errors_b.hlyrecord")));
    EXPECT_TRUE(fs::exists(run.file("log_a.hlyrecord")));
}

TEST(UserLogging, IdentitySetOnAnEarlierReportGoesIntoThatReportsOwnKeys)
{
    RunFolder run(Limits {});
    TempFolder old;
    const auto report = std::make_shared<HLYInternalReport>(old.path(), "earlier");
    HLYReport wrapped(report);
    wrapped.setUserIdentifier("user-7");
    wrapped.setUserEmail(std::nullopt);
    EXPECT_EQ(wrapped.userIdentifier(), std::nullopt); // write-only
    EXPECT_EQ(keyValues(old.path() / "internal_incremental_kv.hlyrecord"),
              (std::vector<std::pair<std::string, std::string>> {{"org.quiverleaf.halyard.user-id", "user-7"},
                                                                 {"org.quiverleaf.halyard.user-email", "(null)"}}));
    EXPECT_FALSE(fs::exists(run.file("internal_incremental_kv.hlyrecord")));
}
