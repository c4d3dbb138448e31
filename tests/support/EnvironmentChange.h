// Sets (or removes) an environment variable for as long as it lives, then
// puts back what was there before.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace ql::testing {

class EnvironmentChange {
public:
    // `value` nullopt removes the variable.
    EnvironmentChange(const char* name, const std::optional<std::string>& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~EnvironmentChange() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
    EnvironmentChange(const EnvironmentChange&) = delete;
    EnvironmentChange& operator=(const EnvironmentChange&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace ql::testing
