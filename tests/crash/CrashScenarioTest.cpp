// Crash situations beyond a single fault: faults during recording, foreign
// handlers, signals sent from outside, images loaded late, threads that do
// not answer, a tracer, and the non-fatal exceptions.
#include "CrashTestSupport.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

const std::vector<std::string> kSignalRecord {"signal", "threads", "runtime", "dispatch_queue_names",
                                              "thread_names", "process_stats", "storage"};

std::string scenarioBuildID()
{
    static const std::string id = readelfBuildID(toolPath("crash-scenario"));
    return id;
}

const Value& crashedThread(const Value& dump)
{
    return (*member(dump, "threads")->asArray())[std::size_t(*member(dump, "crashed_thread")->asInt())];
}

std::vector<std::string> scenarioFunctions(const Value& dump, const Value& thread)
{
    return addr2lineFunctions(toolPath("crash-scenario"), imageOffsets(dump, thread, scenarioBuildID()));
}

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

TEST(CrashScenario, AFaultInTheCrashCallbackEndsTheProcessWithTheRecordIntact)
{
    TempFolder folder;
    const auto result = runScenario(folder.path(), {"callback-fault"});
    EXPECT_EQ(result.exitCode, 1);
    const auto run = result.runFolder();
    EXPECT_EQ(sectionNames(run / "signal.hlyrecord"), kSignalRecord);
    EXPECT_TRUE(pythonParsesEveryLine(run / "signal.hlyrecord"));
    EXPECT_NE(readText(run / "sdk.log").find("aborting signal handler because crash has already occurred"),
              std::string::npos);
}

TEST(CrashScenario, TwoThreadsFaultingAtOnceLeaveOneCompleteReport)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        TempFolder folder;
        const auto result = runScenario(folder.path(), {"two-threads"});
        EXPECT_EQ(result.signal, SIGSEGV) << "attempt " << attempt;
        const auto file = result.runFolder() / "signal.hlyrecord";
        ASSERT_EQ(sectionNames(file), kSignalRecord) << "attempt " << attempt;
        const auto dump = dumpReport(file);
        ASSERT_TRUE(dump);
        EXPECT_TRUE(contains(scenarioFunctions(*dump, crashedThread(*dump)), "scenarioFaultHere"));
    }
}

TEST(CrashScenario, AForeignHandlerRunsAfterTheRecord)
{
    TempFolder folder;
    const auto result = runScenario(folder.path(), {"foreign-handler"});
    EXPECT_EQ(result.exitCode, 42);
    EXPECT_NE(result.out.find("foreign handler ran"), std::string::npos);
    EXPECT_EQ(sectionNames(result.runFolder() / "signal.hlyrecord"), kSignalRecord);
}

TEST(CrashScenario, ASignalSentFromOutsideEndsTheProcessWithAReport)
{
    TempFolder folder;
    BackgroundProcess process({toolPath("crash-scenario"), "--dir", folder.path().string(), "wait-for-kill"});
    ASSERT_TRUE(process.waitForLine("ready"));
    process.signal(SIGSEGV);
    const auto result = process.wait();
    EXPECT_EQ(result.signal, SIGSEGV);
    const auto file = result.runFolder() / "signal.hlyrecord";
    EXPECT_EQ(sectionNames(file), kSignalRecord);
    const auto signal = readRecords(file).at(0);
    EXPECT_EQ(*member(*member(signal, "signal"), "code"), Value(SI_USER));
}

TEST(CrashScenario, ImagesLoadedAndUnloadedAreRecordedAndOneOpenedLateIsFoundAtCrashTime)
{
    TempFolder folder;
    const std::string plugin = toolPath("libcrash-test-plugin.so");
    const auto result = runScenario(folder.path(), {"images", plugin});
    EXPECT_EQ(result.signal, SIGSEGV) << result.err;
    const auto run = result.runFolder();

    std::vector<std::string> events;
    for (const auto& record : readRecords(run / "binary_images.hlyrecord")) {
        const auto& [name, value] = *record.asMap()->begin();
        if (*member(value, "path") == Value(plugin))
            events.push_back(name);
    }
    EXPECT_EQ(events, (std::vector<std::string> {"load", "unload", "load"}));

    // The crash happened inside the late image; the trace goes through it
    // and on into the program that called it.
    const auto dump = dumpReport(run / "signal.hlyrecord");
    ASSERT_TRUE(dump);
    const Value& crashed = crashedThread(*dump);
    const auto pluginID = readelfBuildID(plugin);
    EXPECT_EQ(addr2lineFunctions(plugin, imageOffsets(*dump, crashed, pluginID)),
              (std::vector<std::string> {"pluginCrashHere", "pluginCallThrough"}));
    EXPECT_TRUE(contains(scenarioFunctions(*dump, crashed), "main"));
}

TEST(CrashScenario, AThreadThatDoesNotAnswerIsRecordedWithoutState)
{
    TempFolder folder;
    const auto result = runScenario(folder.path(), {"silent-thread"});
    EXPECT_EQ(result.signal, SIGSEGV);
    const auto file = result.runFolder() / "signal.hlyrecord";
    EXPECT_EQ(sectionNames(file), kSignalRecord);
    // On a loaded machine another thread may also miss the answer window and be
    // recorded empty; the blocked one always is, and the crashed one never.
    int empty = 0;
    const auto records = readRecords(file);
    const auto& threads = *member(records.at(1), "threads")->asArray();
    for (const auto& thread : threads)
        if (member(thread, "registers")->asMap()->empty() && member(thread, "stacktrace")->asArray()->empty())
            ++empty;
    EXPECT_GE(empty, 1);
    EXPECT_LT(empty, int(threads.size()));
    const auto dump = dumpReport(file);
    ASSERT_TRUE(dump);
    EXPECT_FALSE(scenarioFunctions(*dump, crashedThread(*dump)).empty());
}

TEST(CrashScenario, AStackOverflowOnAThreadOfTheKitsLeavesAReport)
{
    TempFolder folder;
    const auto result = runScenario(folder.path(), {"kit-thread-overflow"});
    EXPECT_EQ(result.signal, SIGSEGV);
    const auto file = result.runFolder() / "signal.hlyrecord";
    ASSERT_EQ(sectionNames(file), kSignalRecord);
    const auto dump = dumpReport(file);
    ASSERT_TRUE(dump);
    const auto functions = scenarioFunctions(*dump, crashedThread(*dump));
    EXPECT_EQ(std::count(functions.begin(), functions.end(), "scenarioRecurse"), 512);
    const auto index = std::size_t(*member(*dump, "crashed_thread")->asInt());
    const auto records = readRecords(file);
    EXPECT_EQ((*member(records.at(3), "dispatch_queue_names")->asArray())[index], Value("global.default"));
}

TEST(CrashScenario, UnderATracerNoHandlersAreInstalledButTheRecordsAreSetUp)
{
    TempFolder folder;
    const auto result = runScenario(folder.path(), {"debugger"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("no-handlers"), std::string::npos);
    const auto run = result.runFolder();
    EXPECT_EQ(sectionNames(run / "metadata.hlyrecord").size(), 4u);
    EXPECT_FALSE(readRecords(run / "binary_images.hlyrecord").empty());
    EXPECT_NE(readText(run / "sdk.log").find("Debugger present - not installing handlers"), std::string::npos);
}

TEST(CrashScenario, TheChecksWarnAboutForeignHandlers)
{
    TempFolder folder;
    const auto result = runScenario(folder.path(), {"handler-check"});
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("[Halyard] The signal SIGBUS has a non-Halyard handler ("), std::string::npos);
    EXPECT_NE(result.err.find(").  This will interfer with reporting."), std::string::npos);
    EXPECT_NE(result.err.find("[Halyard:Crash] Warning: std::set_terminate is '"), std::string::npos);
    EXPECT_NE(result.out.find("terminate handler kept: yes"), std::string::npos);
}

TEST(CrashScenario, CustomExceptionsStopAtTheLimitAndCarryTheirFrames)
{
    TempFolder folder;
    const auto result = runScenario(folder.path(), {"custom-exceptions"});
    ASSERT_EQ(result.exitCode, 0);
    const auto file = result.runFolder() / "custom_exception.hlyrecord";
    EXPECT_TRUE(pythonParsesEveryLine(file));
    const auto records = readRecords(file);
    ASSERT_EQ(records.size(), 16u); // the default limit per run
    const Value& first = *member(records[0], "exception");
    EXPECT_EQ(*member(first, "type"), Value("custom"));
    EXPECT_EQ(*member(first, "name"), Value("437573746f6d2030")); // "Custom 0"
    EXPECT_EQ(*member(first, "reason"), Value("726561736f6e202271756f74656422"));
    const Array& frames = *member(first, "frames")->asArray();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(*member(frames[0], "pc"), Value(0x1000));
    EXPECT_EQ(*member(frames[0], "symbol"), Value("6669727374"));
    EXPECT_EQ(*member(frames[0], "line"), Value(12));
    EXPECT_EQ(member(frames[1], "symbol"), nullptr);
    EXPECT_EQ(member(*member(records[1], "exception"), "frames"), nullptr);
    EXPECT_FALSE(std::filesystem::exists(result.runFolder() / "exception.hlyrecord"));
}
