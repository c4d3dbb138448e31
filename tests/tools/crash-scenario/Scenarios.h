#pragma once

#include <string>
#include <vector>

namespace scenario {

// Runs the scenario named by words[0]; the process's exit status.
int run(const std::string& folder, const std::vector<std::string>& words);

} // namespace scenario
