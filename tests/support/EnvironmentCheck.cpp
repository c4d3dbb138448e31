#include "EnvironmentCheck.h"

#include <cstdlib>
#include <sstream>

extern char** environ;

namespace ql::testing {

namespace {

std::map<std::string, std::string> currentEnvironment()
{
    std::map<std::string, std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos)
            variables.emplace(text.substr(0, equals), text.substr(equals + 1));
    }
    return variables;
}

} // namespace

void EnvironmentCheck::OnTestStart(const ::testing::TestInfo&)
{
    m_before = currentEnvironment();
}

void EnvironmentCheck::OnTestEnd(const ::testing::TestInfo&)
{
    const std::map<std::string, std::string> after = currentEnvironment();
    if (after == m_before)
        return;
    std::ostringstream changes;
    for (const auto& [name, value] : m_before) {
        const auto now = after.find(name);
        if (now == after.end()) {
            changes << "\n  " << name << " removed (was \"" << value << "\")";
            ::setenv(name.c_str(), value.c_str(), 1);
        } else if (now->second != value) {
            changes << "\n  " << name << " changed from \"" << value << "\" to \"" << now->second << '"';
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
    for (const auto& [name, value] : after) {
        if (!m_before.contains(name)) {
            changes << "\n  " << name << " added (\"" << value << "\")";
            ::unsetenv(name.c_str());
        }
    }
    ADD_FAILURE() << "The test left the environment changed:" << changes.str();
}

} // namespace ql::testing
