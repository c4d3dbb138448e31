#include "crash/reports/HLYPackageReportOperation.h"

#include "crash/capture/HLYFile.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/reports/HLYFileManager.h"
#include "crash/reports/HLYInternalReport.h"
#include "sdk/TextForms.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Log.h"
#include "sdk/network/RIGMultipartMimeStreamEncoder.h"

#include <algorithm>
#include <cstdio>
#include <sys/file.h>
#include <unistd.h>
#include <zlib.h>

namespace qlkit {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPackageExtension = ".multipartmime";

// The package file: every failed write is remembered, and closing flushes
// the bytes to the disk before the package is renamed into view.
class PackageStream final : public RIGOutputStream {
public:
    explicit PackageStream(fs::path path) : m_path(std::move(path)) {}
    ~PackageStream() override { close(); }
    bool open() override
    {
        if (!m_file) {
            m_file = std::fopen(m_path.c_str(), "wb");
            // Marks the package as in the making for other running instances.
            if (m_file)
                flock(fileno(m_file), LOCK_EX | LOCK_NB);
        }
        m_failed = m_failed || !m_file;
        return m_file != nullptr;
    }
    long write(const void* bytes, std::size_t length) override
    {
        if (!m_file || length > kHLYPackageMaximumLength - std::min(m_length, kHLYPackageMaximumLength)) {
            m_failed = true;
            return -1;
        }
        m_length += length;
        const std::size_t written = std::fwrite(bytes, 1, length, m_file);
        m_failed = m_failed || written != length;
        return long(written);
    }
    void close() override
    {
        if (!m_file)
            return;
        m_failed = m_failed || std::fflush(m_file) != 0 || fsync(fileno(m_file)) != 0;
        m_failed = std::fclose(m_file) != 0 || m_failed;
        m_file = nullptr;
    }
    bool failed() const { return m_failed; }

private:
    fs::path m_path;
    std::FILE* m_file = nullptr;
    std::uint64_t m_length = 0;
    bool m_failed = false;
};

} // namespace

std::string HLYPackageFieldName(const std::string& compressedFileName)
{
    return fs::path(compressedFileName).stem().stem().string();
}

HLYPackageReportOperation::HLYPackageReportOperation(std::shared_ptr<HLYInternalReport> report,
                                                     std::shared_ptr<HLYFileManager> fileManager)
    : m_report(std::move(report)), m_fileManager(std::move(fileManager))
{
}

fs::path HLYPackageReportOperation::reportPath() const { return m_report->path(); }

fs::path HLYPackageReportOperation::destinationDirectory() const { return m_fileManager->preparedPath(); }

fs::path HLYPackageReportOperation::packagedPathWithName(const std::string& name) const
{
    return destinationDirectory() / (name + kPackageExtension);
}

std::optional<fs::path> HLYPackageReportOperation::compressFile(const fs::path& path) const
{
    const fs::path target = path.string() + ".gz";
    const int descriptor = files::createOwnFile(target);
    gzFile out = descriptor >= 0 ? gzdopen(descriptor, "w") : nullptr;
    if (!out) {
        if (descriptor >= 0)
            ::close(descriptor);
        return std::nullopt;
    }
    // An unreadable file is sent as an empty stream rather than not at all.
    const std::string data = files::readOwnFile(path, kHLYRecordFileMaximumLength).value_or("");
    bool complete = true;
    RIGEnumerateByteRangesInData(data, [&](const std::uint8_t* bytes, ByteRange range, bool& stop) {
        if (range.length == 0)
            return;
        if (gzwrite(out, bytes + range.location, unsigned(range.length)) != int(range.length)) {
            HLYSDKLog("Error: Failed to write all compressed bytes\n");
            complete = false;
            stop = true;
        }
    });
    complete = gzclose(out) == Z_OK && complete;
    if (!complete)
        return std::nullopt;
    return target;
}

void HLYPackageReportOperation::main()
{
    m_finalPath.reset();
    const std::string boundary = RIGMultipartMimeStreamEncoder::generateBoundary();
    const fs::path packagePath = packagedPathWithName(boundary);
    const fs::path partialPath = destinationDirectory() / ("." + boundary + kPackageExtension + kPartialSuffix);
    const auto identifier = m_report->identifier();
    const auto apiKey = m_report->APIKey();

    auto stream = std::make_shared<PackageStream>(partialPath);
    auto encoder = RIGMultipartMimeStreamEncoder::encoderWithStream(stream, boundary);
    if (!encoder)
        return;
    bool complete = true;
    encoder->encode([&](RIGMultipartMimeStreamEncoder& parts) {
        if (apiKey)
            parts.addValue(Value(*apiKey), std::string("api_key"));
        if (identifier)
            parts.addValue(Value(*identifier), std::string("report_id"));
        m_fileManager->enumerateFilesInDirectory(reportPath(), [&](const fs::path& path, const std::string& extension) {
            if (!complete || isCancelled() || extension == "gz")
                return;
            const auto compressed = compressFile(path);
            const std::string name = compressed ? compressed->filename().string() : std::string();
            complete = compressed
                       && parts.addFile(*compressed, name, std::string("application/x-gzip"), HLYPackageFieldName(name));
        });
    });
    stream->close();
    std::error_code error;
    if (!complete || stream->failed() || isCancelled()) {
        fs::remove(partialPath, error);
        return;
    }
    fs::rename(partialPath, packagePath, error);
    if (error) {
        fs::remove(partialPath, error);
        return;
    }
    m_finalPath = packagePath;
}

} // namespace qlkit
