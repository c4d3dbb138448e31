// An append-only event log on disk. It stays open for writing between
// appends, writes each line with one call, and keeps its size in memory so
// that deciding when to close a fragment never touches the file system.
#pragma once

#include "crash/Tally/HLYEventLog/HLYEventLogEvent.h"
#include "sdk/network/KitError.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace qlkit {

class HLYEventLogFile {
public:
    // Opened for writing at its end; nullptr when that cannot be done. A
    // folder standing in the way is removed first.
    static std::unique_ptr<HLYEventLogFile> initWithURL(const std::filesystem::path& fileURL);
    static std::unique_ptr<HLYEventLogFile> initWithNameInDirectoryWithURL(const std::string& name,
                                                                           const std::filesystem::path& directory);
    virtual ~HLYEventLogFile();
    HLYEventLogFile(const HLYEventLogFile&) = delete;
    HLYEventLogFile& operator=(const HLYEventLogFile&) = delete;

    // Opening with a handle open, or appending or resetting without one, is
    // a programming error and stops the process.
    bool openFileHandleForWriting(KitError* error = nullptr);
    bool openFileHandleForReading(KitError* error = nullptr);
    void closeFileHandle();
    bool appendData(const Bytes& data, KitError* error = nullptr);
    bool resetFile(KitError* error = nullptr);
    // The whole content; the file is open for writing at its end afterwards.
    std::optional<Bytes> readFromFile(KitError* error = nullptr);

    const std::filesystem::path& fileURL() const { return m_fileURL; }
    std::uint64_t fileSize() const { return m_fileSize; }

protected:
    explicit HLYEventLogFile(std::filesystem::path fileURL);
    static bool open(HLYEventLogFile& file);

private:
    enum class Mode { None, Writing, Reading };
    void require(bool open, const char* operation) const;

    std::filesystem::path m_fileURL;
    std::uint64_t m_fileSize = 0;
    int m_fd = -1;
    Mode m_mode = Mode::None;
};

class HLYEventLogEventFile : public HLYEventLogFile {
public:
    static std::unique_ptr<HLYEventLogEventFile> initWithURL(const std::filesystem::path& fileURL);
    static std::unique_ptr<HLYEventLogEventFile> initWithNameInDirectoryWithURL(const std::string& name,
                                                                                const std::filesystem::path& directory);
    bool appendEvent(const HLYEventLogEvent& event, KitError* error = nullptr);

private:
    using HLYEventLogFile::HLYEventLogFile;
};

} // namespace qlkit
