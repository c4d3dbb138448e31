// Builds the one file a report leaves the machine as: a multipart body in
// the prepared folder holding the API key, the report identifier and every
// file of the report folder compressed with gzip. The package is written
// under a hidden name and renamed when complete, so that an interrupted run
// never leaves a truncated package to be sent.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace qlkit {

// The most a package may hold. A report's files are read at most
// kHLYRecordFileMaximumLength each; a package beyond this was not made from
// a run's records and is neither finished nor sent.
inline constexpr std::uint64_t kHLYPackageMaximumLength = 64 * 1024 * 1024;

class HLYFileManager;
class HLYInternalReport;

class HLYPackageReportOperation {
public:
    HLYPackageReportOperation(std::shared_ptr<HLYInternalReport> report, std::shared_ptr<HLYFileManager> fileManager);

    void main();
    void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled; }

    // "<file>.gz" beside the file; nothing when the file could not be
    // compressed whole. A file too long to be a record goes as an empty stream.
    std::optional<std::filesystem::path> compressFile(const std::filesystem::path& path) const;
    std::filesystem::path reportPath() const;
    std::filesystem::path destinationDirectory() const;
    std::filesystem::path packagedPathWithName(const std::string& name) const;

    const std::shared_ptr<HLYInternalReport>& report() const { return m_report; }
    const std::shared_ptr<HLYFileManager>& fileManager() const { return m_fileManager; }
    const std::optional<std::filesystem::path>& finalPath() const { return m_finalPath; }

private:
    std::shared_ptr<HLYInternalReport> m_report;
    std::shared_ptr<HLYFileManager> m_fileManager;
    std::optional<std::filesystem::path> m_finalPath;
    std::atomic<bool> m_cancelled {false};
};

// The form field of a compressed report file: its name less two extensions
// ("signal.hlyrecord.gz" is "signal").
std::string HLYPackageFieldName(const std::string& compressedFileName);

} // namespace qlkit
