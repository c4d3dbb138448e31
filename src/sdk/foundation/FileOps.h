// File helpers the kit needs beyond std::filesystem: whole-file reads, atomic
// replacement, and a move that also works across file systems.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qlkit::files {

// The whole file; nothing when it cannot be read, or when it holds more than
// `maximumLength` bytes (then `*tooLong` is set and reading stops there).
std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maximumLength = SIZE_MAX,
                                    bool* tooLong = nullptr);
// Writes to a temporary file in the same folder, flushes it, then renames it
// over the target: readers see the old or the new file, never a torn one.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents, std::string* error = nullptr);
// rename(2), falling back to copy-then-remove when source and target lie on
// different file systems. An existing target is replaced.
bool moveItem(const std::filesystem::path& from, const std::filesystem::path& to, std::string* error = nullptr);
// Removes a file or a whole folder; true when nothing is left at the path.
bool removeItem(const std::filesystem::path& path, std::string* error = nullptr);

} // namespace qlkit::files
