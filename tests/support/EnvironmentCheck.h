// Fails a test that leaves the process's environment changed, and puts the
// environment back: suites also run whole in one process, where a variable
// one test forgot (an empty PATH, a moved HOME) breaks every test after it.
#pragma once

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace ql::testing {

class EnvironmentCheck : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override;
    void OnTestEnd(const ::testing::TestInfo&) override;

private:
    std::map<std::string, std::string> m_before;
};

} // namespace ql::testing
