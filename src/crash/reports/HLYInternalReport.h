// The kit's view of one report folder: the run's identifier and metadata,
// and whether it holds anything worth sending.
#pragma once

#include "sdk/foundation/Value.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace qlkit {

class HLYInternalReport {
public:
    // Reads the identifier from the folder's metadata (the run's session_id).
    static std::shared_ptr<HLYInternalReport> reportWithPath(const std::filesystem::path& path);
    HLYInternalReport(std::filesystem::path path, std::optional<std::string> executionIdentifier);

    const std::filesystem::path& path() const { return m_path; }
    // The reports controller re-points a report when it moves the folder.
    void setPath(std::filesystem::path path) { m_path = std::move(path); }
    const std::optional<std::string>& identifier() const { return m_identifier; }

    std::string directoryName() const { return m_path.filename().string(); }
    std::filesystem::path metadataPath() const { return pathForContentFile("metadata.hlyrecord"); }
    std::filesystem::path binaryImagePath() const { return pathForContentFile("binary_images.hlyrecord"); }
    std::filesystem::path pathForContentFile(const std::string& name) const { return m_path / name; }

    // One dictionary per line of metadata.hlyrecord; nothing when empty.
    static std::optional<Array> readMetadataAtPath(const std::filesystem::path& path);
    std::optional<Array> metadataSections() const;

    bool needsToBeSubmitted() const;
    std::optional<std::string> APIKey() const;
    std::optional<Map> customKeys() const { return std::nullopt; }
    std::optional<std::string> bundleVersion() const;
    std::optional<std::string> bundleShortVersionString() const;
    std::optional<Date> dateCreated() const;
    std::optional<std::string> OSVersion() const;
    std::optional<std::string> OSBuildVersion() const;

    // exception, mach_exception and signal records, whether or not they exist.
    void enumerateSymbolicatableFilesInContent(const std::function<void(const std::filesystem::path&)>& block) const;

private:
    const Value* metadataValue(std::size_t section, const char* object, const char* key) const;
    std::optional<std::string> metadataText(std::size_t section, const char* object, const char* key) const;

    std::filesystem::path m_path;
    std::optional<std::string> m_identifier;
    mutable std::once_flag m_metadataOnce;
    mutable std::optional<Array> m_metadataSections;
};

} // namespace qlkit
