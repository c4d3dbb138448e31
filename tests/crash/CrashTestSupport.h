// What the capture tests share: temporary folders, running the test tools as
// child processes that really crash, reading their record files back, and the
// independent readers (python3's json, readelf, addr2line).
#pragma once

#include "SdkTestSupport.h"
#include "sdk/foundation/Value.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {
// Test failures show values as JSON text.
void PrintTo(const Value& value, std::ostream* out);
} // namespace qlkit

namespace qlkit::crashtest {

using TempFolder = qlkit::test::TempDir;

struct ProcessResult {
    int exitCode = -1; // when it exited
    int signal = 0;    // when a signal ended it
    std::string out;
    std::string err;
    // The run folder the tool printed, if any.
    std::filesystem::path runFolder() const;
};

// What a child may take: address space in bytes (0: no limit; ignored under
// AddressSanitizer, whose shadow memory lies far beyond any such limit), and
// the wall seconds after which SIGALRM ends it (0: never), so that a hang
// shows as that signal rather than as a test that never ends.
struct ProcessLimits {
    std::uint64_t addressSpace = 0;
    unsigned hangSeconds = 0;
};

// Runs a program; `environment` entries ("NAME=value") are added to ours.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
                         const ProcessLimits& limits = {});
// A program running in the background: its output can be waited for line by
// line before it is signalled and reaped.
class BackgroundProcess {
public:
    explicit BackgroundProcess(const std::vector<std::string>& argv);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;
    // Reads standard output until a line equal to `line` (false at its end).
    bool waitForLine(const std::string& line);
    // Reads standard output until a whole line that begins with `prefix`,
    // and gives that line (nothing at its end).
    std::optional<std::string> waitForLineStartingWith(const std::string& prefix);
    void signal(int number);
    ProcessResult wait();

private:
    int m_pid = -1;
    int m_out = -1;
    std::string m_seen;
};

// A child process that holds an flock on `lockFile` (made when missing)
// until it is ended: a lock that is not this process's own.
std::unique_ptr<BackgroundProcess> holdLockInAnotherProcess(const std::filesystem::path& lockFile);

std::string toolPath(const std::string& name);
ProcessResult runProbe(const std::filesystem::path& folder, const std::string& kind,
                       const std::vector<std::string>& environment = {});
ProcessResult runScenario(const std::filesystem::path& folder, const std::vector<std::string>& words,
                          const std::vector<std::string>& environment = {});

std::string readText(const std::filesystem::path& path);
// The record file's lines, parsed by the kit's reader (unreadable lines skipped).
std::vector<Value> readRecords(const std::filesystem::path& path);
// Text of the record files' hex form.
std::string fromHex(const std::string& hex);
// key -> value (or "(null)") of every kv line, in file order.
std::vector<std::pair<std::string, std::string>> keyValues(const std::filesystem::path& file);
// Section names, one per line, in file order.
std::vector<std::string> sectionNames(const std::filesystem::path& path);
// True when python3's json parses every non-empty line of the file.
bool pythonParsesEveryLine(const std::filesystem::path& path);

// crash-report-dump's output for a record file.
std::optional<Value> dumpReport(const std::filesystem::path& recordFile);
// readelf -n's GNU build-id of an ELF file.
std::string readelfBuildID(const std::string& path);
// Function names addr2line -f gives for the addresses of one image.
std::vector<std::string> addr2lineFunctions(const std::string& image, const std::vector<std::uint64_t>& offsets);
// The dump's frames of one thread that lie in the image with that build-id,
// as addr2line offsets (address - base, minus 1 for return addresses).
std::vector<std::uint64_t> imageOffsets(const Value& dump, const Value& thread, const std::string& buildID);

const Value* member(const Value& object, const std::string& key);

} // namespace qlkit::crashtest
