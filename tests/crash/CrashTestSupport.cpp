#include "CrashTestSupport.h"

#include "crash/capture/HLYFile.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Json.h"

#include <cstdlib>
#include <fcntl.h>
#include <csignal>
#include <poll.h>
#include <ostream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qlkit {

void PrintTo(const Value& value, std::ostream* out) { *out << json::serialize(value); }

} // namespace qlkit

namespace qlkit::crashtest {
namespace {

void drain(int outFd, int errFd, std::string* out, std::string* err)
{
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? out : err)->append(buffer, std::size_t(got));
        }
    }
}

// Starts argv with standard output (and error, unless -1) on the given pipe
// ends; the environment entries are added to ours.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int out, int err,
            const ProcessLimits& limits = {})
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
#if !defined(__SANITIZE_ADDRESS__)
    if (limits.addressSpace) {
        const rlimit space {limits.addressSpace, limits.addressSpace};
        setrlimit(RLIMIT_AS, &space);
    }
#endif
    // A pending alarm outlives exec, and nothing in the children handles it.
    if (limits.hangSeconds)
        alarm(limits.hangSeconds);
    dup2(out, STDOUT_FILENO);
    if (err >= 0)
        dup2(err, STDERR_FILENO);
#if defined(__SANITIZE_ADDRESS__)
    // The children crash on purpose: the sanitizer keeps out of the way, so
    // that they end as they would in a plain build.
    putenv(const_cast<char*>("ASAN_OPTIONS=handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:"
                             "handle_abort=0:detect_leaks=0"));
#endif
    for (const auto& entry : environment)
        putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

void takeStatus(int status, ProcessResult* result)
{
    if (WIFEXITED(status))
        result->exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        result->signal = WTERMSIG(status);
}

} // namespace

std::filesystem::path ProcessResult::runFolder() const
{
    const std::string marker = "run-folder: ";
    const auto at = out.find(marker);
    if (at == std::string::npos)
        return {};
    const auto end = out.find('\n', at);
    return out.substr(at + marker.size(), end - at - marker.size());
}

ProcessResult runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         const ProcessLimits& limits)
{
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = spawn(argv, environment, outPipe[1], errPipe[1], limits);
    close(outPipe[1]);
    close(errPipe[1]);
    ProcessResult result;
    drain(outPipe[0], errPipe[0], &result.out, &result.err);
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    takeStatus(status, &result);
    return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv)
{
    int outPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0)
        return;
    m_pid = spawn(argv, {}, outPipe[1], -1);
    close(outPipe[1]);
    m_out = outPipe[0];
}

BackgroundProcess::~BackgroundProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_out >= 0)
        close(m_out);
}

bool BackgroundProcess::waitForLine(const std::string& line)
{
    char buffer[512];
    for (;;) {
        if (m_seen.find(line + "\n") != std::string::npos)
            return true;
        const ssize_t got = read(m_out, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        m_seen.append(buffer, std::size_t(got));
    }
}

std::optional<std::string> BackgroundProcess::waitForLineStartingWith(const std::string& prefix)
{
    char buffer[512];
    for (;;) {
        for (std::size_t start = 0, end; (end = m_seen.find('\n', start)) != std::string::npos; start = end + 1)
            if (m_seen.compare(start, prefix.size(), prefix) == 0)
                return m_seen.substr(start, end - start);
        const ssize_t got = read(m_out, buffer, sizeof buffer);
        if (got <= 0)
            return std::nullopt;
        m_seen.append(buffer, std::size_t(got));
    }
}

void BackgroundProcess::signal(int number)
{
    if (m_pid > 0)
        kill(m_pid, number);
}

ProcessResult BackgroundProcess::wait()
{
    ProcessResult result;
    char buffer[512];
    ssize_t got;
    while ((got = read(m_out, buffer, sizeof buffer)) > 0)
        m_seen.append(buffer, std::size_t(got));
    result.out = m_seen;
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    takeStatus(status, &result);
    return result;
}

std::unique_ptr<BackgroundProcess> holdLockInAnotherProcess(const std::filesystem::path& lockFile)
{
    auto holder = std::make_unique<BackgroundProcess>(std::vector<std::string> {test::python(), "-c",
                                                                                 "import fcntl, sys, time\n"
                                                                                 "lock = open(sys.argv[1], 'w')\n"
                                                                                 "fcntl.flock(lock, fcntl.LOCK_EX)\n"
                                                                                 "print('held', flush=True)\n"
                                                                                 "time.sleep(60)\n",
                                                                                 lockFile.string()});
    return holder->waitForLine("held") ? std::move(holder) : nullptr;
}

std::string toolPath(const std::string& name) { return std::string(QUIVERLEAF_BINARY_DIR "/tools/") + name; }

ProcessResult runProbe(const std::filesystem::path& folder, const std::string& kind,
                       const std::vector<std::string>& environment)
{
    // Nothing listens on the discard port: the kit's downloads fail at once.
    return runProcess({toolPath("crash-probe"), "--dir", folder.string(), "--url", "http://127.0.0.1:9", kind},
                      environment);
}

ProcessResult runScenario(const std::filesystem::path& folder, const std::vector<std::string>& words,
                          const std::vector<std::string>& environment)
{
    std::vector<std::string> argv {toolPath("crash-scenario"), "--dir", folder.string()};
    argv.insert(argv.end(), words.begin(), words.end());
    return runProcess(argv, environment);
}

std::string readText(const std::filesystem::path& path) { return files::readFile(path).value_or(""); }

std::vector<Value> readRecords(const std::filesystem::path& path)
{
    const auto sections = HLYFileReadSections(path.c_str(), false);
    return sections ? std::vector<Value>(sections->begin(), sections->end()) : std::vector<Value>();
}

std::string fromHex(const std::string& hex)
{
    std::string text;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        text += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return text;
}

std::vector<std::pair<std::string, std::string>> keyValues(const std::filesystem::path& file)
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& line : readRecords(file)) {
        const Value* kv = member(line, "kv");
        const Value* value = member(*kv, "value");
        entries.emplace_back(fromHex(*member(*kv, "key")->asString()),
                             value->asString() ? fromHex(*value->asString()) : "(null)");
    }
    return entries;
}

std::vector<std::string> sectionNames(const std::filesystem::path& path)
{
    std::vector<std::string> names;
    for (const auto& record : readRecords(path))
        if (record.asMap() && record.asMap()->size() == 1)
            names.push_back(record.asMap()->begin()->first);
    return names;
}

bool pythonParsesEveryLine(const std::filesystem::path& path)
{
    const std::string script = "import json,sys\n"
                               "with open(sys.argv[1], encoding='utf-8') as f:\n"
                               "    lines = [l for l in f.read().split('\\n') if l]\n"
                               "for l in lines:\n"
                               "    v = json.loads(l)\n"
                               "    assert isinstance(v, dict) and len(v) == 1, l\n"
                               "print(len(lines))\n";
    const auto result = runProcess({"python3", "-c", script, path.string()});
    return result.exitCode == 0 && std::atoi(result.out.c_str()) > 0;
}

std::optional<Value> dumpReport(const std::filesystem::path& recordFile)
{
    const auto result = runProcess({toolPath("crash-report-dump"), recordFile.string()});
    if (result.exitCode != 0)
        return std::nullopt;
    auto parsed = json::parse(result.out);
    return parsed.value;
}

std::string readelfBuildID(const std::string& path)
{
    const auto result = runProcess({"readelf", "-n", path});
    const std::string marker = "Build ID: ";
    const auto at = result.out.find(marker);
    if (at == std::string::npos)
        return "";
    const auto end = result.out.find_first_of(" \n", at + marker.size());
    return result.out.substr(at + marker.size(), end - at - marker.size());
}

std::vector<std::string> addr2lineFunctions(const std::string& image, const std::vector<std::uint64_t>& offsets)
{
    std::vector<std::string> argv {"addr2line", "-f", "-e", image};
    for (const auto offset : offsets) {
        std::ostringstream hex;
        hex << "0x" << std::hex << offset;
        argv.push_back(hex.str());
    }
    const auto result = runProcess(argv);
    std::vector<std::string> names;
    std::istringstream lines(result.out);
    std::string line;
    for (int index = 0; std::getline(lines, line); ++index)
        if (index % 2 == 0)
            names.push_back(line);
    return names;
}

const Value* member(const Value& object, const std::string& key)
{
    const Map* map = object.asMap();
    return map ? map->find(key) : nullptr;
}

std::vector<std::uint64_t> imageOffsets(const Value& dump, const Value& thread, const std::string& buildID)
{
    const Value* images = member(dump, "images");
    const Value* frames = member(thread, "frames");
    std::vector<std::uint64_t> offsets;
    if (!images || !images->asArray() || !frames || !frames->asArray())
        return offsets;
    for (const auto& image : *images->asArray()) {
        const Value* id = member(image, "build_id");
        if (!id || !id->asString() || *id->asString() != buildID)
            continue;
        const auto base = std::uint64_t(*member(image, "base")->asInt());
        const auto size = std::uint64_t(*member(image, "size")->asInt());
        const Array& list = *frames->asArray();
        for (std::size_t i = 0; i < list.size(); ++i) {
            const auto address = std::uint64_t(list[i].asInt() ? *list[i].asInt() : 0);
            if (address >= base && address - base < size)
                offsets.push_back(address - base - (i == 0 ? 0 : 1));
        }
    }
    return offsets;
}

} // namespace qlkit::crashtest
