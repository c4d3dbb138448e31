// Helpers the kit's tests share: a temporary folder per test with the XDG
// variables pointed into it, and running a program to collect its output.
#pragma once

#include "support/EnvironmentChange.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace qlkit::test {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A TempDir that the kit's per-user folders (XDG variables, HOME) point into
// while it lives.
class KitHome : public TempDir {
public:
    KitHome();

private:
    std::vector<std::unique_ptr<ql::testing::EnvironmentChange>> m_changes;
};

struct CommandResult {
    int exitCode = -1;
    std::string output; // standard output
};

// Runs argv[0] with the arguments (no shell); standard error passes through.
CommandResult run(const std::vector<std::string>& argv);
std::string probePath();
std::string readTextFile(const std::filesystem::path& path);
void writeTextFile(const std::filesystem::path& path, const std::string& text);
// The start of a PNG file: signature and header chunk of the given size.
std::string pngHeader(std::uint32_t width, std::uint32_t height);
// Debian's interpreter, which also has the modules tests read files with.
std::string python();

// The process's resident size now, in bytes.
std::size_t residentBytes();
// Whether `folder` is empty, or becomes so within two seconds: a download's
// file goes only after its completion has returned.
bool becomesEmpty(const std::filesystem::path& folder);
// Bytes in the files below `folder`.
std::uintmax_t folderBytes(const std::filesystem::path& folder);

// Polls `runaway` from a thread of its own while it lives and calls `stop`
// once as soon as it holds: a test of a fault that eats memory or disk stops
// the source before the machine runs short.
class Watchdog {
public:
    Watchdog(std::function<bool()> runaway, std::function<void()> stop);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::atomic<bool> m_done {false};
    std::thread m_thread;
};

// Keeps the largest growth of the resident size over its size at the start;
// past `ceiling` bytes of growth it calls `stop`.
class ResidentGrowthWatch {
public:
    ResidentGrowthWatch(std::size_t ceiling, std::function<void()> stop);
    std::size_t peakGrowth() const { return m_peak; }

private:
    std::size_t m_start;
    std::atomic<std::size_t> m_peak {0};
    Watchdog m_watchdog;
};

} // namespace qlkit::test
