#include "sdk/foundation/FileOps.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qlkit::files {
namespace {

void setError(std::string* error, const std::string& message)
{
    if (error)
        *error = message;
}

bool writeAll(int fd, std::string_view contents)
{
    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= std::size_t(written);
    }
    return true;
}

std::string randomSuffix()
{
    static thread_local std::mt19937_64 generator {std::random_device {}()};
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(generator()));
    return buffer;
}

// ".name.<random><ending>": a hidden file beside `path` that no one else picks.
// Appended rather than prefixed: GCC 12 misreads a literal + string&& as
// overlapping copies (-Wrestrict).
std::string hiddenSibling(const std::filesystem::path& path, const char* ending)
{
    std::string name = ".";
    name += path.filename().string();
    name += '.';
    name += randomSuffix();
    name += ending;
    return name;
}

// A regular file open for reading, with its status; -1 otherwise. An own
// file is also reached through no link at its end and has no other name.
int openRegularFile(const std::filesystem::path& path, bool own, struct stat& status)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (own ? O_NOFOLLOW : 0));
    if (fd < 0)
        return -1;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || (own && status.st_nlink > 1)) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t maximumLength, bool* tooLong,
                                           bool own)
{
    if (tooLong)
        *tooLong = false;
    struct stat status {};
    const int fd = openRegularFile(path, own, status);
    if (fd < 0)
        return std::nullopt;
    // Told at once when the file says it is too long; files that say 0
    // (the kernel's own) are read up to the limit.
    if (std::uint64_t(status.st_size) > maximumLength) {
        ::close(fd);
        if (tooLong)
            *tooLong = true;
        return std::nullopt;
    }
    std::string contents;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        if (std::size_t(got) > maximumLength - contents.size()) {
            ::close(fd);
            if (tooLong)
                *tooLong = true;
            return std::nullopt;
        }
        contents.append(buffer, std::size_t(got));
    }
    ::close(fd);
    return contents;
}

} // namespace

std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maximumLength, bool* tooLong)
{
    return readRegularFile(path, maximumLength, tooLong, false);
}

std::optional<std::string> readOwnFile(const std::filesystem::path& path, std::size_t maximumLength, bool* tooLong)
{
    return readRegularFile(path, maximumLength, tooLong, true);
}

int openFile(const std::filesystem::path& path)
{
    struct stat status {};
    return openRegularFile(path, false, status);
}

int openOwnFile(const std::filesystem::path& path)
{
    struct stat status {};
    return openRegularFile(path, true, status);
}

int createOwnFile(const std::filesystem::path& path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return -1;
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

std::FILE* streamOf(int fd, const char* mode)
{
    if (fd < 0)
        return nullptr;
    std::FILE* stream = ::fdopen(fd, mode);
    if (!stream) {
        const int failed = errno;
        ::close(fd);
        errno = failed;
    }
    return stream;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents, std::string* error)
{
    const std::filesystem::path temporary = path.parent_path() / hiddenSibling(path, ".tmp");
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        setError(error, std::strerror(errno));
        return false;
    }
    const bool written = writeAll(fd, contents) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        setError(error, std::strerror(written ? errno : savedErrno));
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool moveItem(const std::filesystem::path& from, const std::filesystem::path& to, std::string* error)
{
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno != EXDEV) {
        setError(error, std::strerror(errno));
        return false;
    }
    // Across file systems: copy next to the target, swap it in, then drop the source.
    std::error_code ec;
    const std::filesystem::path staging = to.parent_path() / hiddenSibling(to, ".move");
    std::filesystem::copy(from, staging, std::filesystem::copy_options::recursive, ec);
    if (ec || ::rename(staging.c_str(), to.c_str()) != 0) {
        setError(error, ec ? ec.message() : std::string(std::strerror(errno)));
        std::filesystem::remove_all(staging, ec);
        return false;
    }
    std::filesystem::remove_all(from, ec);
    return true;
}

bool removeItem(const std::filesystem::path& path, std::string* error)
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    if (ec) {
        setError(error, ec.message());
        return false;
    }
    return true;
}

} // namespace qlkit::files
