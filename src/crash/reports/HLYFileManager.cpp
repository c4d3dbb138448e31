#include "crash/reports/HLYFileManager.h"

#include "crash/HalyardConstants.h"
#include "crash/reports/HLYFileLock.h"
#include "crash/reports/HLYInternalReport.h"
#include "sdk/ApplicationInfo.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Log.h"
#include "sdk/foundation/Paths.h"

#include <algorithm>

namespace qlkit {
namespace {

namespace fs = std::filesystem;

bool hidden(const fs::path& path)
{
    const std::string name = path.filename().string();
    return name.empty() || name[0] == '.';
}

bool isRealFolder(const fs::path& path)
{
    std::error_code error;
    return fs::symlink_status(path, error).type() == fs::file_type::directory;
}

// What the kit itself makes in its tree: regular files and folders.
bool isOwnKind(fs::file_type type) { return type == fs::file_type::regular || type == fs::file_type::directory; }

} // namespace

HLYFileManager::HLYFileManager()
    : m_rootPath(paths::cachesDirectory() / kHalyardDataFolder / RIGApplicationBundleIdentifier().value_or(""))
{
}

bool HLYFileManager::createDirectoryAtPath(const fs::path& path) const
{
    std::error_code error;
    fs::create_directories(path, error);
    if (!error)
        fs::permissions(path, fs::perms(0755), error);
    if (error || !fs::is_directory(path)) {
        log::always("[FileManager] Unable to create directory " + path.string() + ": " + error.message());
        return false;
    }
    return true;
}

bool HLYFileManager::removeItemAtPath(const fs::path& path) const
{
    if (!isTreeFolder(path.parent_path())) {
        log::always("[FileManager] Failed to remove file '" + path.string() + "' : it lies behind a link");
        return false;
    }
    const auto lock = HLYFileLock::tryLock(path);
    if (!lock && HLYFileLock::isLockedElsewhere(path)) {
        log::always("[FileManager] Failed to remove file '" + path.string() + "' : in use by another process");
        return false;
    }
    // A folder leaves view at once: if the removal is cut short, what is
    // left of it must not pass for a report.
    fs::path target = path;
    std::error_code status;
    if (fs::is_directory(path, status)) {
        // Appended rather than prefixed: GCC 12 misreads a literal + string&& as overlapping copies.
        std::string hidden = ".";
        hidden += path.filename().string();
        hidden += kRemovingSuffix;
        target = path.parent_path() / hidden;
        fs::rename(path, target, status);
        if (status)
            target = path;
    }
    std::string error;
    if (!files::removeItem(target, &error)) {
        log::always("[FileManager] Failed to remove file '" + path.string() + "' : " + error);
        return false;
    }
    return true;
}

void HLYFileManager::removeInterruptedLeftovers(const fs::path& directory) const
{
    if (!isTreeFolder(directory))
        return;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        std::error_code status;
        if (!isOwnKind(it->symlink_status(status).type())) {
            log::always("[FileManager] Removing " + it->path().string() + ", which the kit did not make");
            fs::remove(it->path(), status);
            continue;
        }
        const std::string name = it->path().filename().string();
        const bool leftover = name.size() > 1 && name[0] == '.'
                              && (name.ends_with(kRemovingSuffix) || name.ends_with(kPartialSuffix) || name.ends_with(kNewSuffix));
        if (leftover && !HLYFileLock::isLockedElsewhere(it->path()))
            files::removeItem(it->path());
    }
}

bool HLYFileManager::removeContentsOfDirectoryAtPath(const fs::path& path) const
{
    bool all = true;
    for (const auto& entry : contentsOfDirectory(path))
        all = removeItemAtPath(entry) && all;
    return all;
}

bool HLYFileManager::moveItemAtPath(const fs::path& path, const fs::path& directory) const
{
    if (path.empty() || directory.empty()) {
        log::always("[FileManager] Failed to move file, inputs invalid");
        return false;
    }
    if (!isTreeFolder(path.parent_path()) || !isTreeFolder(directory)) {
        log::always("[FileManager] Failed to move file: " + path.string() + " or " + directory.string()
                    + " lies behind a link");
        return false;
    }
    if (HLYFileLock::isLockedElsewhere(path)) {
        log::always("[FileManager] Failed to move file: " + path.string() + " is in use by another process");
        return false;
    }
    std::string error;
    if (!files::moveItem(path, directory / path.filename(), &error)) {
        log::always("[FileManager] Failed to move file: " + error);
        return false;
    }
    return true;
}

bool HLYFileManager::moveItemsFromDirectory(const fs::path& from, const fs::path& to) const
{
    for (const auto& entry : contentsOfDirectory(from))
        if (!moveItemAtPath(entry, to))
            return false;
    return true;
}

void HLYFileManager::enumerateFilesInDirectory(
    const fs::path& directory, const std::function<void(const fs::path&, const std::string&)>& block) const
{
    for (const auto& entry : contentsOfDirectory(directory)) {
        std::string extension = entry.extension().string();
        if (!extension.empty())
            extension.erase(0, 1);
        block(entry, extension);
    }
}

std::vector<fs::path> HLYFileManager::contentsOfDirectory(const fs::path& directory) const
{
    std::vector<fs::path> entries;
    if (!isTreeFolder(directory))
        return entries;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        std::error_code status;
        if (!hidden(it->path()) && isOwnKind(it->symlink_status(status).type()))
            entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
    return entries;
}

std::optional<std::uint64_t> HLYFileManager::fileSizeAtPath(const fs::path& path) const
{
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) {
        log::always("[Client] Unable to read file size: " + error.message());
        return std::nullopt;
    }
    return size;
}

bool HLYFileManager::isTreeFolder(const fs::path& folder) const
{
    const fs::path relative = folder.lexically_relative(m_rootPath);
    if (relative.empty() || *relative.begin() == "..")
        return isRealFolder(folder);
    fs::path at = m_rootPath;
    if (!isRealFolder(at))
        return false;
    for (const auto& part : relative) {
        if (part == ".")
            continue;
        at /= part;
        if (!isRealFolder(at))
            return false;
    }
    return true;
}

bool HLYFileManager::prepareForNewLaunch() const
{
    for (const auto& folder : {m_rootPath, structurePath(), activePath(), pendingPath(), processingPath(), preparedPath()}) {
        std::error_code error;
        const auto type = fs::symlink_status(folder, error).type();
        if (type == fs::file_type::not_found || type == fs::file_type::directory)
            continue;
        log::always("[FileManager] Removing " + folder.string() + ", which is not a folder");
        fs::remove(folder, error);
    }
    if (!(createDirectoryAtPath(activePath()) && createDirectoryAtPath(processingPath())
          && createDirectoryAtPath(preparedPath())))
        return false;
    for (const auto& folder : {activePath(), processingPath(), preparedPath()})
        removeInterruptedLeftovers(folder);
    return true;
}

std::optional<fs::path> HLYFileManager::setupNewPathForExecutionIdentifier(const std::string& identifier,
                                                                           std::unique_ptr<HLYFileLock>* lock) const
{
    if (identifier.empty())
        return std::nullopt;
    const fs::path path = activePath() / identifier;
    const fs::path staging = activePath() / ("." + identifier + kNewSuffix);
    if (!createDirectoryAtPath(staging))
        return std::nullopt;
    if (lock)
        *lock = HLYFileLock::tryLock(staging, true);
    std::error_code error;
    fs::rename(staging, path, error);
    if (error) {
        log::always("[FileManager] Unable to create directory " + path.string() + ": " + error.message());
        files::removeItem(staging);
        return std::nullopt;
    }
    return path;
}

void HLYFileManager::removeLegacyDirectories() const
{
    std::error_code error;
    if (!fs::exists(legacyMarkerPath(), error))
        return;
    std::string failure;
    if (!files::removeItem(m_rootPath, &failure))
        log::always("[Halyard:FileManager] Unable to remove legacy directory structure " + failure);
    log::always("[Halyard:FileManager] Removed legacy structure at " + m_rootPath.string());
}

bool HLYFileManager::removeContentsOfAllPaths() const
{
    bool all = removeContentsOfProcessingPath();
    all = removeContentsOfPendingPath() && all;
    all = removeContentsOfDirectoryAtPath(preparedPath()) && all;
    all = removeContentsOfDirectoryAtPath(activePath()) && all;
    return all;
}

void HLYFileManager::enumerateReportsInProcessingDirectoryUsingBlock(
    const std::function<void(const HLYInternalReport&, const fs::path&)>& block) const
{
    for (const auto& entry : processingPathContents()) {
        const auto report = HLYInternalReport::reportWithPath(entry);
        block(*report, entry);
    }
}

} // namespace qlkit
