// The probe crashes in each of its ways; the report it leaves is read back
// by the kit's reader, crash-report-dump, python3's json, readelf and addr2line.
#include "CrashTestSupport.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

struct Kind {
    const char* name;
    int signal;           // the signal that ends the process
    const char* event;    // the signal record's name
    std::int64_t code;    // its code
    const char* reason;   // its code name, or null
    const char* crashedThread = "crash-probe";
};

const Kind kKinds[] = {
    {"segv", SIGSEGV, "SIGSEGV", SEGV_MAPERR, nullptr},
    {"bus", SIGBUS, "SIGBUS", BUS_ADRERR, nullptr},
    {"ill", SIGILL, "SIGILL", ILL_ILLOPN, nullptr},
    {"fpe", SIGFPE, "SIGFPE", FPE_INTDIV, nullptr},
    {"abrt", SIGABRT, "SIGABRT", SI_TKILL, "ABORT"},
    {"throw", SIGABRT, "SIGABRT", SI_TKILL, "ABORT"},
    {"stack-overflow", SIGSEGV, "SIGSEGV", -1, nullptr},
    {"trap", SIGTRAP, "SIGTRAP", SI_KERNEL, nullptr},
    {"assert", SIGABRT, "SIGABRT", SI_TKILL, "ABORT"},
    {"thread-overflow", SIGSEGV, "SIGSEGV", -1, nullptr, "probe-overflow"},
    {"qthread-overflow", SIGSEGV, "SIGSEGV", -1, nullptr, "probe-qthread"},
};

// The C library's messages the report carries as crash annotations.
std::vector<std::string> crashAnnotations(const std::filesystem::path& file)
{
    std::vector<std::string> texts;
    for (const auto& line : readRecords(file))
        if (const Value* runtime = member(line, "runtime"))
            for (const auto& entry : *member(*runtime, "crash_info_entries")->asArray())
                texts.push_back(fromHex(*entry.asString()));
    return texts;
}

const std::vector<std::string> kCrashSections {"threads", "runtime", "dispatch_queue_names", "thread_names",
                                               "process_stats", "storage"};

std::string probeBuildID()
{
    static const std::string id = readelfBuildID(toolPath("crash-probe"));
    return id;
}

const Value& crashedThread(const Value& dump)
{
    const auto index = std::size_t(*member(dump, "crashed_thread")->asInt());
    return (*member(dump, "threads")->asArray())[index];
}

std::vector<std::string> functionsOf(const Value& dump, const Value& thread)
{
    return addr2lineFunctions(toolPath("crash-probe"), imageOffsets(dump, thread, probeBuildID()));
}

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

void expectCompleteRecord(const std::filesystem::path& file, const std::string& event)
{
    std::vector<std::string> expected {event};
    expected.insert(expected.end(), kCrashSections.begin(), kCrashSections.end());
    EXPECT_EQ(sectionNames(file), expected) << file;
}

void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.name; }

class ProbeKinds : public testing::TestWithParam<Kind> {};

} // namespace

TEST_P(ProbeKinds, DiesByItsSignalWithACompleteReport)
{
    const Kind& kind = GetParam();
    TempFolder folder;
    const auto result = runProbe(folder.path(), kind.name);
    EXPECT_EQ(result.signal, kind.signal) << result.err;
    const auto run = result.runFolder();
    ASSERT_FALSE(run.empty()) << result.out << result.err;

    const auto signalFile = run / "signal.hlyrecord";
    expectCompleteRecord(signalFile, "signal");
    for (const auto& entry : std::filesystem::directory_iterator(run)) {
        if (entry.path().extension() == ".hlyrecord") {
            EXPECT_TRUE(pythonParsesEveryLine(entry.path())) << entry.path();
        }
    }

    const auto dump = dumpReport(signalFile);
    ASSERT_TRUE(dump);
    const Value& event = *member(*dump, "event");
    EXPECT_EQ(*member(event, "kind"), Value("signal"));
    EXPECT_EQ(*member(event, "name"), Value(kind.event));
    if (kind.code != -1) {
        EXPECT_EQ(*member(event, "code"), Value(kind.code));
    }
    if (kind.reason) {
        EXPECT_EQ(*member(event, "reason"), Value(kind.reason));
    } else {
        EXPECT_EQ(member(event, "reason"), nullptr);
    }

    const Value& crashed = crashedThread(*dump);
    EXPECT_EQ(*member(crashed, "name"), Value(kind.crashedThread));
    const auto functions = functionsOf(*dump, crashed);
    EXPECT_TRUE(contains(functions, "probeCrashHere")) << testing::PrintToString(functions);
    const auto frames = member(crashed, "frames")->asArray()->size();
    if (std::string(kind.name).ends_with("overflow")) {
        // Every frame in the probe is the recursion (a sanitised build may
        // have faulted in one of its own checks first, outside the probe).
        EXPECT_EQ(frames, 512u);
        EXPECT_GE(functions.size(), 511u);
        EXPECT_EQ(std::count(functions.begin(), functions.end(), "probeCrashHere"), std::ptrdiff_t(functions.size()));
    }

    int workers = 0;
    for (const auto& thread : *member(*dump, "threads")->asArray()) {
        const std::string name = *member(thread, "name")->asString();
        if (name.rfind("probe-worker-", 0) != 0)
            continue;
        ++workers;
        EXPECT_TRUE(contains(functionsOf(*dump, thread), "probeWaitHere")) << name;
    }
    EXPECT_EQ(workers, 3);

    const auto annotations = crashAnnotations(signalFile);
    if (std::string(kind.name) == "assert") {
        ASSERT_EQ(annotations.size(), 1u);
        EXPECT_TRUE(annotations[0].starts_with("crash-probe: ")) << annotations[0];
        EXPECT_TRUE(annotations[0].ends_with(
            ": void probeCrashHere(const char*): Assertion `probeHolds && \"the probe's assertion\"' failed.\n"))
            << annotations[0];
    } else {
        EXPECT_TRUE(annotations.empty()) << testing::PrintToString(annotations);
    }

    if (std::string(kind.name) == "throw") {
        const auto exceptionFile = run / "exception.hlyrecord";
        expectCompleteRecord(exceptionFile, "exception");
        const auto exception = dumpReport(exceptionFile);
        ASSERT_TRUE(exception);
        const Value& thrown = *member(*exception, "event");
        EXPECT_EQ(*member(thrown, "kind"), Value("c++"));
        EXPECT_EQ(*member(thrown, "name"), Value("std::runtime_error"));
        EXPECT_EQ(*member(thrown, "reason"), Value("probe"));
        EXPECT_TRUE(contains(functionsOf(*exception, crashedThread(*exception)), "probeCrashHere"));
    }
}

INSTANTIATE_TEST_SUITE_P(Crash, ProbeKinds, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<Kind>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(CrashProbe, RecordsTheFaultAddressMetadataAndEveryLoadedImage)
{
    TempFolder folder;
    const auto result = runProbe(folder.path(), "segv");
    const auto run = result.runFolder();
    ASSERT_FALSE(run.empty());

    const auto signal = readRecords(run / "signal.hlyrecord").at(0);
    EXPECT_EQ(*member(*member(signal, "signal"), "address"), Value(16));
    EXPECT_EQ(*member(*member(signal, "signal"), "code_name"), Value());

    EXPECT_EQ(sectionNames(run / "metadata.hlyrecord"),
              (std::vector<std::string> {"identity", "host", "application", "executable"}));
    const auto metadata = readRecords(run / "metadata.hlyrecord");
    const Value& identity = *member(metadata[0], "identity");
    EXPECT_EQ(*member(identity, "generator"), Value("Halyard Mac SDK/3.0.11"));
    EXPECT_EQ(*member(identity, "build_version"), Value("58"));
    EXPECT_EQ(*member(identity, "display_version"), Value("3.0.11"));
    EXPECT_EQ(member(identity, "session_id")->asString()->size(), 32u);
    EXPECT_EQ(run.filename().string(), *member(identity, "session_id")->asString());
    EXPECT_EQ(*member(*member(metadata[1], "host"), "platform"), Value("linux"));
    EXPECT_EQ(*member(*member(metadata[2], "application"), "bundle_id"), Value("org.quiverleaf.crash-probe"));
    const Value& executable = *member(metadata[3], "executable");
    EXPECT_EQ(*member(executable, "uuid"), Value(probeBuildID()));
    EXPECT_EQ(*member(executable, "architecture"), Value("x86_64"));
    EXPECT_EQ(*member(executable, "encrypted"), Value(false));

    // The first burst: the probe, libc with the build-ids readelf reads, and the vDSO.
    const auto dump = dumpReport(run / "signal.hlyrecord");
    ASSERT_TRUE(dump);
    bool probe = false, libc = false, vdso = false;
    for (const auto& image : *member(*dump, "images")->asArray()) {
        const std::string path = *member(image, "path")->asString();
        const std::string id = *member(image, "build_id")->asString();
        if (path == toolPath("crash-probe"))
            probe = id == probeBuildID();
        if (path.find("/libc.so.6") != std::string::npos)
            libc = id == readelfBuildID(path) && !id.empty();
        if (path == "linux-vdso.so.1")
            vdso = id.size() >= 40 && *member(image, "size")->asInt() > 0;
    }
    EXPECT_TRUE(probe);
    EXPECT_TRUE(libc);
    EXPECT_TRUE(vdso);
}

#if !defined(__SANITIZE_ADDRESS__)
// A library preloaded into the probe fails loudly on malloc, free or
// pthread_mutex_lock run on an alternate signal stack. (A sanitised build
// replaces the allocator itself, so the check only runs in plain builds.)
TEST(CrashProbe, SignalPathsNeitherAllocateNorLock)
{
    const std::string guard = "LD_PRELOAD=" + toolPath("libcrash-alloc-guard.so");
    for (const auto& kind : kKinds) {
        if (std::string(kind.name) == "throw")
            continue; // the terminate handler runs on the thread's own stack
        TempFolder folder;
        const auto result = runProbe(folder.path(), kind.name, {guard});
        EXPECT_EQ(result.signal, kind.signal) << kind.name << ": " << result.err;
        EXPECT_EQ(result.err.find("alloc-guard"), std::string::npos) << kind.name << ": " << result.err;
        expectCompleteRecord(result.runFolder() / "signal.hlyrecord", "signal");
    }
    // The guard does catch what it looks for: a crash callback that
    // allocates, which runs on the alternate stack.
    TempFolder folder;
    const auto caught = runScenario(folder.path(), {"callback-allocates"}, {guard});
    EXPECT_EQ(caught.exitCode, 86);
    EXPECT_NE(caught.err.find("alloc-guard: malloc on an alternate signal stack"), std::string::npos) << caught.err;
}
#endif

TEST(CrashReportDump, RefusesFilesWithoutAReportInOneLine)
{
    TempFolder folder;
    const auto missing = runProcess({toolPath("crash-report-dump"), (folder.path() / "none.hlyrecord").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);
    const auto metadataOnly = folder.path() / "metadata.hlyrecord";
    qlkit::test::writeTextFile(metadataOnly, "{\"identity\":{}}\nnot json\n");
    const auto noEvent = runProcess({toolPath("crash-report-dump"), metadataOnly.string()});
    EXPECT_EQ(noEvent.exitCode, 1);
    EXPECT_NE(noEvent.err.find("no signal or exception record"), std::string::npos);
    EXPECT_EQ(runProcess({toolPath("crash-report-dump")}).exitCode, 1);
}
