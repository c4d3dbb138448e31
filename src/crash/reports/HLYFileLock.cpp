#include "crash/reports/HLYFileLock.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace qlkit {
namespace {

constexpr const char* kLockFileName = ".lock";
// Locks are only ever regular files of the tree: a planted link or pipe in
// their place is neither followed nor waited on.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;

std::mutex g_mutex;
std::vector<std::pair<dev_t, ino_t>>& heldLocks()
{
    static auto* held = new std::vector<std::pair<dev_t, ino_t>>; // used until the process ends
    return *held;
}

bool heldHere(dev_t device, ino_t inode)
{
    std::lock_guard lock(g_mutex);
    const auto& held = heldLocks();
    return std::find(held.begin(), held.end(), std::make_pair(device, inode)) != held.end();
}

// The lock file inside a folder, made when missing: opened relative to the
// folder itself, so that nothing is made where the folder was if it has just
// been moved or removed, and no plain file ever takes a folder's place.
int openFolderLockFile(const std::filesystem::path& folder)
{
    const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (directory < 0)
        return -1;
    const int descriptor = ::openat(directory, kLockFileName, kOpenFlags | O_CREAT, 0644);
    ::close(directory);
    return descriptor;
}

} // namespace

std::filesystem::path HLYFileLock::lockFileFor(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error) ? path / kLockFileName : path;
}

std::unique_ptr<HLYFileLock> HLYFileLock::tryLock(const std::filesystem::path& path, bool create)
{
    const auto file = create ? path / kLockFileName : lockFileFor(path);
    const int descriptor = create ? openFolderLockFile(path) : ::open(file.c_str(), kOpenFlags);
    if (descriptor < 0)
        return nullptr;
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || heldHere(status.st_dev, status.st_ino)
        || flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return nullptr;
    }
    // A holder may have removed the folder and let go between our open and
    // our lock: a lock on a file no longer at its path guards nothing.
    struct stat current {};
    if (::stat(file.c_str(), &current) != 0 || current.st_dev != status.st_dev || current.st_ino != status.st_ino) {
        ::close(descriptor);
        return nullptr;
    }
    {
        std::lock_guard lock(g_mutex);
        heldLocks().emplace_back(status.st_dev, status.st_ino);
    }
    return std::unique_ptr<HLYFileLock>(new HLYFileLock(descriptor, status.st_dev, status.st_ino));
}

bool HLYFileLock::isLockedElsewhere(const std::filesystem::path& path)
{
    const auto file = lockFileFor(path);
    const int descriptor = ::open(file.c_str(), kOpenFlags);
    if (descriptor < 0)
        return false;
    struct stat status {};
    bool locked = false;
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && !heldHere(status.st_dev, status.st_ino)) {
        if (flock(descriptor, LOCK_EX | LOCK_NB) != 0)
            locked = errno == EWOULDBLOCK;
    }
    ::close(descriptor); // also lets go of the probe's own lock
    return locked;
}

bool HLYFileLock::isHeldHere(const std::filesystem::path& path)
{
    const auto file = lockFileFor(path);
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 && heldHere(status.st_dev, status.st_ino);
}

bool HLYFileLock::isLocked(const std::filesystem::path& path) { return isHeldHere(path) || isLockedElsewhere(path); }

HLYFileLock::HLYFileLock(int descriptor, dev_t device, ino_t inode)
    : m_descriptor(descriptor), m_device(device), m_inode(inode)
{
}

HLYFileLock::~HLYFileLock()
{
    {
        std::lock_guard lock(g_mutex);
        auto& held = heldLocks();
        const auto it = std::find(held.begin(), held.end(), std::make_pair(m_device, m_inode));
        if (it != held.end())
            held.erase(it);
    }
    ::close(m_descriptor);
}

} // namespace qlkit
