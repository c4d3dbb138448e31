// The per-user folders the kit keeps its files in, after the XDG base
// directory rules, so that tests can move them by setting the variables.
#pragma once

#include <filesystem>

namespace qlkit::paths {

std::filesystem::path home();
std::filesystem::path cachesDirectory();             // $XDG_CACHE_HOME or ~/.cache
std::filesystem::path applicationSupportDirectory(); // $XDG_DATA_HOME or ~/.local/share
std::filesystem::path documentsDirectory();          // $XDG_DOCUMENTS_DIR or ~/Documents
std::filesystem::path temporaryDirectory();          // $TMPDIR or /tmp

} // namespace qlkit::paths
