// Console lines of the kit. Failures and misuse are always written; progress
// lines only while the kit's debug switch is on.
#pragma once

#include <string>

namespace qlkit::log {

void setDebug(bool on);
bool debug();
void always(const std::string& line);
void debugOnly(const std::string& line);

} // namespace qlkit::log
