// Advisory locks (flock) that keep two running instances of one application
// from taking each other's live report folders and packages: a folder is
// locked through the hidden ".lock" file inside it, a package through the
// file itself. Locks this process holds are known by file identity, so they
// do not stand in its own way and follow a folder that is moved.
#pragma once

#include <filesystem>
#include <memory>

namespace qlkit {

class HLYFileLock {
public:
    // A folder's lock file (created when asked), or the file itself; nothing
    // when another process holds it or it cannot be opened. Asked to create,
    // it locks only a real folder that is still at the path: never a file,
    // and nothing is made at a path that was just renamed or removed.
    static std::unique_ptr<HLYFileLock> tryLock(const std::filesystem::path& path, bool create = false);
    // True when another process holds the lock of the folder or file.
    static bool isLockedElsewhere(const std::filesystem::path& path);
    // True when this process holds it.
    static bool isHeldHere(const std::filesystem::path& path);
    // True when this process or another holds it.
    static bool isLocked(const std::filesystem::path& path);
    static std::filesystem::path lockFileFor(const std::filesystem::path& path);

    ~HLYFileLock();
    HLYFileLock(const HLYFileLock&) = delete;
    HLYFileLock& operator=(const HLYFileLock&) = delete;

private:
    HLYFileLock(int descriptor, dev_t device, ino_t inode);
    int m_descriptor;
    dev_t m_device;
    ino_t m_inode;
};

} // namespace qlkit
