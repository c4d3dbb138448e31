#include "crash/Tally/HLYEventLog/HLYEventLogFile.h"

#include "crash/Tally/HLYEventLog/HLYFileSystemError.h"
#include "sdk/foundation/Log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlkit {
namespace {

void report(KitError* error, KitError value)
{
    if (error)
        *error = std::move(value);
}

} // namespace

HLYEventLogFile::HLYEventLogFile(std::filesystem::path fileURL) : m_fileURL(std::move(fileURL)) {}

HLYEventLogFile::~HLYEventLogFile()
{
    closeFileHandle();
}

std::unique_ptr<HLYEventLogFile> HLYEventLogFile::initWithURL(const std::filesystem::path& fileURL)
{
    std::unique_ptr<HLYEventLogFile> file(new HLYEventLogFile(fileURL));
    return open(*file) ? std::move(file) : nullptr;
}

std::unique_ptr<HLYEventLogFile> HLYEventLogFile::initWithNameInDirectoryWithURL(const std::string& name,
                                                                                 const std::filesystem::path& directory)
{
    return initWithURL(directory / name);
}

bool HLYEventLogFile::open(HLYEventLogFile& file)
{
    const std::string path = file.m_fileURL.string();
    std::error_code code;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(file.m_fileURL, code))) {
        std::filesystem::remove_all(file.m_fileURL, code);
        if (code)
            log::debugOnly("[Halyard:Tally] HLYEventLogFile: Unable to delete blocking directory " + path
                           + " [error: " + code.message() + "]");
    }
    // O_CREAT makes the empty file when nothing stands there yet.
    KitError error;
    if (!file.openFileHandleForWriting(&error)) {
        log::debugOnly("[Halyard:Tally] HLYEventLogFile: Unable to get open file for writing at path " + path
                       + " [error: " + error.message + "]");
        return false;
    }
    struct stat status {};
    if (::fstat(file.m_fd, &status) != 0) {
        log::debugOnly("[Halyard:Tally] HLYEventLogFile: Unable to get attributes for item at path " + path
                       + " [error: " + std::strerror(errno) + "]");
        return false;
    }
    file.m_fileSize = std::uint64_t(status.st_size);
    return true;
}

void HLYEventLogFile::require(bool open, const char* operation) const
{
    if ((m_mode != Mode::None) == open)
        return;
    log::always(std::string("[Halyard:Tally] Assertion failure in ") + operation + ", HLYEventLogFile: "
                + (open ? "nil != _fileHandle" : "nil == _fileHandle"));
    std::abort();
}

bool HLYEventLogFile::openFileHandleForWriting(KitError* error)
{
    require(false, "openFileHandleForWriting");
    const int fd = ::open(m_fileURL.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        report(error, HLYFileSystemError(errno, "open for writing"));
        return false;
    }
    m_fd = fd;
    m_mode = Mode::Writing;
    return true;
}

bool HLYEventLogFile::openFileHandleForReading(KitError* error)
{
    require(false, "openFileHandleForReading");
    const int fd = ::open(m_fileURL.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        report(error, HLYFileSystemError(errno, "open for reading"));
        return false;
    }
    m_fd = fd;
    m_mode = Mode::Reading;
    return true;
}

void HLYEventLogFile::closeFileHandle()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_mode = Mode::None;
}

bool HLYEventLogFile::appendData(const Bytes& data, KitError* error)
{
    require(true, "appendData");
    // One write per line keeps lines whole; a short write is finished off.
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t result = ::write(m_fd, data.data() + written, data.size() - written);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0) {
            report(error, HLYFileSystemError(result < 0 ? errno : EIO, "write"));
            m_fileSize += written;
            return false;
        }
        written += std::size_t(result);
    }
    m_fileSize += written;
    return true;
}

bool HLYEventLogFile::resetFile(KitError* error)
{
    require(true, "resetFile");
    if (::ftruncate(m_fd, 0) != 0) {
        report(error, HLYFileSystemError(errno, "truncate"));
        return false;
    }
    m_fileSize = 0;
    return true;
}

std::optional<Bytes> HLYEventLogFile::readFromFile(KitError* error)
{
    closeFileHandle();
    KitError readError;
    std::optional<Bytes> content;
    if (openFileHandleForReading(&readError)) {
        Bytes buffer;
        std::uint8_t chunk[65536];
        for (;;) {
            const ssize_t got = ::read(m_fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                readError = HLYFileSystemError(errno, "read");
                break;
            }
            if (got == 0) {
                content = std::move(buffer);
                break;
            }
            buffer.insert(buffer.end(), chunk, chunk + got);
        }
        closeFileHandle();
    }
    KitError reopenError;
    const bool reopened = openFileHandleForWriting(&reopenError);
    if (!content && !reopened)
        log::debugOnly("[Halyard:Tally] HLYEventLogFile: Unable to reopen file for writing at path " + m_fileURL.string()
                       + " [error: " + reopenError.message + "]");
    if (!content)
        report(error, readError);
    else if (!reopened)
        report(error, reopenError);
    return content && reopened ? content : std::nullopt;
}

std::unique_ptr<HLYEventLogEventFile> HLYEventLogEventFile::initWithURL(const std::filesystem::path& fileURL)
{
    std::unique_ptr<HLYEventLogEventFile> file(new HLYEventLogEventFile(fileURL));
    return open(*file) ? std::move(file) : nullptr;
}

std::unique_ptr<HLYEventLogEventFile>
HLYEventLogEventFile::initWithNameInDirectoryWithURL(const std::string& name, const std::filesystem::path& directory)
{
    return initWithURL(directory / name);
}

bool HLYEventLogEventFile::appendEvent(const HLYEventLogEvent& event, KitError* error)
{
    return appendData(event.eventData(), error);
}

} // namespace qlkit
