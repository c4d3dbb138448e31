// Holds off logout, shutdown and sleep while the crash reporter works on a
// report: the login manager's "delay" inhibitor lock on the system bus, taken
// when the first hold begins and let go when the last one ends. Without a bus
// or a login manager the holds are only counted.
#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace qlkit {

class HLYLogoutInhibitor {
public:
    // `busAddress` is a D-Bus address; none means the system bus.
    explicit HLYLogoutInhibitor(std::optional<std::string> busAddress = std::nullopt);
    ~HLYLogoutInhibitor();
    HLYLogoutInhibitor(const HLYLogoutInhibitor&) = delete;
    HLYLogoutInhibitor& operator=(const HLYLogoutInhibitor&) = delete;

    // The process's own, on the system bus.
    static HLYLogoutInhibitor& shared();

    // `why` is shown to the user by the desktop while the lock is held.
    void begin(const std::string& why);
    void end();
    bool holdsLock() const;

private:
    int takeLock(const std::string& why) const;

    const std::optional<std::string> m_busAddress;
    mutable std::mutex m_mutex;
    int m_holds = 0;
    int m_lock = -1; // the login manager lets go when this is closed
};

} // namespace qlkit
