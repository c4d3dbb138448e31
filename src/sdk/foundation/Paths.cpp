#include "sdk/foundation/Paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace qlkit::paths {
namespace {

// XDG variables only count when they hold an absolute path.
std::filesystem::path fromEnvironment(const char* name, const char* fallbackUnderHome)
{
    if (const char* value = std::getenv(name); value && value[0] == '/')
        return value;
    return home() / fallbackUnderHome;
}

} // namespace

std::filesystem::path home()
{
    if (const char* value = std::getenv("HOME"); value && value[0] == '/')
        return value;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/tmp";
}

std::filesystem::path cachesDirectory() { return fromEnvironment("XDG_CACHE_HOME", ".cache"); }

std::filesystem::path applicationSupportDirectory() { return fromEnvironment("XDG_DATA_HOME", ".local/share"); }

std::filesystem::path documentsDirectory() { return fromEnvironment("XDG_DOCUMENTS_DIR", "Documents"); }

std::filesystem::path temporaryDirectory()
{
    if (const char* value = std::getenv("TMPDIR"); value && value[0] == '/')
        return value;
    return "/tmp";
}

} // namespace qlkit::paths
