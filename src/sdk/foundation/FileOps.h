// File helpers the kit needs beyond std::filesystem: whole-file reads, atomic
// replacement, and a move that also works across file systems.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qlkit::files {

// The whole file; nothing when it cannot be read, when it is no regular file
// (a pipe or a device would hang or flood the reader), or when it holds more
// than `maximumLength` bytes (then `*tooLong` is set and reading stops there).
std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maximumLength = SIZE_MAX,
                                    bool* tooLong = nullptr);
// The same for a file in one of the kit's own folders, where anything may
// have been planted: a link at the path is refused rather than followed, and
// so is a file with another name too (hard-linked in from elsewhere, it is
// not one the kit wrote).
std::optional<std::string> readOwnFile(const std::filesystem::path& path, std::size_t maximumLength,
                                       bool* tooLong = nullptr);
// The file open for reading, under the same rules as readFile and
// readOwnFile; -1 with errno otherwise.
int openFile(const std::filesystem::path& path);
int openOwnFile(const std::filesystem::path& path);
// Opens a new file for writing in one of the kit's own folders: whatever
// stood at the path (a link, a pipe, an old file) is removed first, and
// nothing is ever written through a link. -1 when it cannot be made.
int createOwnFile(const std::filesystem::path& path);
// A stdio stream that owns `fd`; nullptr (with `fd` closed and errno kept)
// when `fd` is -1 or no stream can be made of it.
std::FILE* streamOf(int fd, const char* mode);
// Writes to a temporary file in the same folder, flushes it, then renames it
// over the target: readers see the old or the new file, never a torn one.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents, std::string* error = nullptr);
// rename(2), falling back to copy-then-remove when source and target lie on
// different file systems. An existing target is replaced.
bool moveItem(const std::filesystem::path& from, const std::filesystem::path& to, std::string* error = nullptr);
// Removes a file or a whole folder; true when nothing is left at the path.
bool removeItem(const std::filesystem::path& path, std::string* error = nullptr);

} // namespace qlkit::files
