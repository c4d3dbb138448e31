// The application's "Info dictionary": on this platform there is no bundle to
// read it from, so the application registers it in code before starting the kit.
#pragma once

#include "sdk/foundation/Value.h"

#include <optional>

namespace qlkit::info {

void setMainInfoDictionary(std::optional<Map> dictionary);
// Empty when the application registered none.
std::optional<Map> mainInfoDictionary();
// One entry of the main dictionary, or nothing.
std::optional<Value> mainInfoValue(const std::string& key);

} // namespace qlkit::info
