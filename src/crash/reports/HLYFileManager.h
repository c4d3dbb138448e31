// The report folder tree and the file operations on it. Entries whose names
// begin with "." are invisible to every listing; listings are taken at once
// and sorted by name. Folders and files that another running instance holds
// locked (HLYFileLock) are left alone by removals and moves. The tree is
// followed through no link: a listing shows only regular files and real
// folders, and a folder reached through a link lists, moves and removes
// nothing, so that nothing outside the tree is ever sent or deleted.
//
//   <caches>/<kit data folder>/<bundle id>/v3/{active,pending,processing,prepared}
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class HLYFileLock;
class HLYInternalReport;

// Hidden names of work an interrupted run may leave: a folder on its way
// out, a package not yet complete.
inline constexpr const char* kRemovingSuffix = ".removing";
inline constexpr const char* kPartialSuffix = ".partial";
inline constexpr const char* kNewSuffix = ".new";

class HLYFileManager {
public:
    HLYFileManager();
    explicit HLYFileManager(std::filesystem::path rootPath) : m_rootPath(std::move(rootPath)) {}

    const std::filesystem::path& rootPath() const { return m_rootPath; }
    std::filesystem::path structurePath() const { return m_rootPath / "v3"; }
    std::filesystem::path activePath() const { return structurePath() / "active"; }
    std::filesystem::path pendingPath() const { return structurePath() / "pending"; }
    std::filesystem::path processingPath() const { return structurePath() / "processing"; }
    std::filesystem::path preparedPath() const { return structurePath() / "prepared"; }
    std::filesystem::path legacyMarkerPath() const { return m_rootPath / "sendable"; }

    bool createDirectoryAtPath(const std::filesystem::path& path) const;
    bool removeItemAtPath(const std::filesystem::path& path) const;
    bool removeContentsOfDirectoryAtPath(const std::filesystem::path& path) const;
    bool moveItemAtPath(const std::filesystem::path& path, const std::filesystem::path& directory) const;
    bool moveItemsFromDirectory(const std::filesystem::path& from, const std::filesystem::path& to) const;
    void enumerateFilesInDirectory(const std::filesystem::path& directory,
                                   const std::function<void(const std::filesystem::path& path,
                                                            const std::string& extension)>& block) const;
    std::vector<std::filesystem::path> contentsOfDirectory(const std::filesystem::path& directory) const;
    std::optional<std::uint64_t> fileSizeAtPath(const std::filesystem::path& path) const;
    // A real folder, reached from the root (when it lies inside) through real
    // folders only.
    bool isTreeFolder(const std::filesystem::path& folder) const;

    std::vector<std::filesystem::path> activePathContents() const { return contentsOfDirectory(activePath()); }
    std::vector<std::filesystem::path> processingPathContents() const { return contentsOfDirectory(processingPath()); }
    std::vector<std::filesystem::path> preparedPathContents() const { return contentsOfDirectory(preparedPath()); }

    // Makes active, processing and prepared, and clears what interrupted
    // removals and packagings left in them. A link, file or pipe standing
    // where a folder of the tree belongs goes first (a link alone, never
    // what it names), and so do links and special files inside them.
    bool prepareForNewLaunch() const;
    void removeInterruptedLeftovers(const std::filesystem::path& directory) const;
    // The run's folder, made under a hidden name and locked (when `lock` is
    // given) before it comes into view, so that no other instance ever sees
    // it unlocked.
    std::optional<std::filesystem::path> setupNewPathForExecutionIdentifier(const std::string& identifier,
                                                                            std::unique_ptr<HLYFileLock>* lock = nullptr) const;
    void removeLegacyDirectories() const;
    bool removeContentsOfProcessingPath() const { return removeContentsOfDirectoryAtPath(processingPath()); }
    bool removeContentsOfPendingPath() const { return removeContentsOfDirectoryAtPath(pendingPath()); }
    bool removeContentsOfAllPaths() const;
    bool movePendingToProcessing() const { return moveItemsFromDirectory(pendingPath(), processingPath()); }
    bool moveProcessingContentsToPrepared() const { return moveItemsFromDirectory(processingPath(), preparedPath()); }

    void enumerateFilesInActiveDirectoryUsingBlock(
        const std::function<void(const std::filesystem::path&, const std::string&)>& block) const
    {
        enumerateFilesInDirectory(activePath(), block);
    }
    void enumerateFilesInPreparedDirectoryUsingBlock(
        const std::function<void(const std::filesystem::path&, const std::string&)>& block) const
    {
        enumerateFilesInDirectory(preparedPath(), block);
    }
    void enumerateReportsInProcessingDirectoryUsingBlock(
        const std::function<void(const HLYInternalReport&, const std::filesystem::path&)>& block) const;

private:
    std::filesystem::path m_rootPath;
};

} // namespace qlkit
