// Configuration errors of the kit are raised, not returned: they are the
// developer's to fix before shipping ("RIGException", "InvalidObfuscatedData").
#pragma once

#include <stdexcept>
#include <string>

namespace qlkit {

class KitException : public std::runtime_error {
public:
    KitException(std::string name, std::string reason)
        : std::runtime_error(name + ": " + reason), m_name(std::move(name)), m_reason(std::move(reason)) {}
    const std::string& name() const { return m_name; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_name;
    std::string m_reason;
};

} // namespace qlkit
