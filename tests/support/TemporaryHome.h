// A home folder of the test process's own: HOME and the XDG folders point
// into a fresh temporary folder while it lives, so that tests and the tools
// they start keep their settings, caches and thumbnails away from the user's.
#pragma once

#include <filesystem>

namespace ql::testing {

class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
    int m_owner;
};

} // namespace ql::testing
