// Helpers the kit's tests share: a temporary folder per test with the XDG
// variables pointed into it, and running a program to collect its output.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
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
    ~KitHome();
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

} // namespace qlkit::test
