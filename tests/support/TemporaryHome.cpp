#include "TemporaryHome.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace ql::testing {

namespace {

// Names the home a run made, for the runs it starts.
constexpr const char* kMarker = "QUIVERLEAF_TEST_HOME";

// The folders the desktop's base-directory rules name, each inside the home.
constexpr std::pair<const char*, const char*> kFolders[] = {
    {"XDG_CONFIG_HOME", ".config"}, {"XDG_CACHE_HOME", ".cache"},   {"XDG_DATA_HOME", ".local/share"},
    {"XDG_STATE_HOME", ".local/state"}, {"XDG_RUNTIME_DIR", "runtime"},
};

} // namespace

TemporaryHome::TemporaryHome() : m_owner(::getpid())
{
    // A suite that starts itself again (a death test's child) keeps the home
    // it was given; the first run made it and removes it.
    const char* given = std::getenv(kMarker);
    const char* home = std::getenv("HOME");
    if (given && home && std::string_view(given) == home) {
        m_owner = 0;
        return;
    }
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "quiverleaf-home-XXXXXX").string();
    if (error || !::mkdtemp(pattern.data())) {
        std::perror("no temporary home folder");
        std::abort();
    }
    m_path = pattern;
    ::setenv("HOME", m_path.c_str(), 1);
    ::setenv(kMarker, m_path.c_str(), 1);
    for (const auto& [variable, folder] : kFolders) {
        const std::filesystem::path where = m_path / folder;
        std::filesystem::create_directories(where, error);
        // The runtime folder must be the user's alone, or Qt refuses it.
        std::filesystem::permissions(where, std::filesystem::perms::owner_all, error);
        ::setenv(variable, where.c_str(), 1);
    }
}

TemporaryHome::~TemporaryHome()
{
    // A forked child that ends through here leaves the folder to its parent.
    if (::getpid() != m_owner)
        return;
    std::error_code error;
    // A test may have taken its write permission from a folder it made.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(m_path, error);
}

} // namespace ql::testing
