#include "SdkTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace qlkit::test {
TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qlkit-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

KitHome::KitHome()
{
    for (const auto& [name, folder] : {std::pair {"HOME", ""}, std::pair {"XDG_DATA_HOME", "data"},
                                       std::pair {"XDG_CACHE_HOME", "cache"}, std::pair {"XDG_DOCUMENTS_DIR", "documents"}})
        m_changes.push_back(std::make_unique<ql::testing::EnvironmentChange>(
            name, (*folder ? path() / folder : path()).string()));
}

CommandResult run(const std::vector<std::string>& argv)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> args;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    CommandResult result;
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, std::size_t(got));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string probePath() { return QUIVERLEAF_BINARY_DIR "/tools/sdk-probe"; }

std::string readTextFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void writeTextFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string pngHeader(std::uint32_t width, std::uint32_t height)
{
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += char((v >> shift) & 0xFF);
    return bytes + std::string("\x08\x06\0\0\0", 5);
}

std::string python() { return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3"; }

std::size_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * std::size_t(sysconf(_SC_PAGESIZE));
}

bool becomesEmpty(const std::filesystem::path& folder)
{
    for (int i = 0; i < 200; ++i) {
        if (std::filesystem::is_empty(folder))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::filesystem::is_empty(folder);
}

std::uintmax_t folderBytes(const std::filesystem::path& folder)
{
    std::uintmax_t total = 0;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec); !ec && it != std::filesystem::end(it);
         it.increment(ec))
        if (std::error_code sizeError; it->is_regular_file(sizeError)) {
            // A file removed since it was listed counts nothing (its size reads as -1).
            const std::uintmax_t size = it->file_size(sizeError);
            if (!sizeError)
                total += size;
        }
    return total;
}

Watchdog::Watchdog(std::function<bool()> runaway, std::function<void()> stop)
{
    m_thread = std::thread([this, runaway = std::move(runaway), stop = std::move(stop)] {
        while (!m_done) {
            if (runaway()) {
                stop();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
}

Watchdog::~Watchdog()
{
    m_done = true;
    m_thread.join();
}

ResidentGrowthWatch::ResidentGrowthWatch(std::size_t ceiling, std::function<void()> stop)
    : m_start(residentBytes())
    , m_watchdog(
          [this, ceiling] {
              const std::size_t now = residentBytes();
              const std::size_t growth = now > m_start ? now - m_start : 0;
              if (growth > m_peak)
                  m_peak = growth;
              return growth > ceiling;
          },
          std::move(stop))
{
}

} // namespace qlkit::test
