// XML property lists: the kit's file format for its private defaults and the
// archive inside obfuscated configuration. Readable by any plist reader.
#pragma once

#include "sdk/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace qlkit::plist {

// Null values have no plist form; they are left out of maps and arrays.
std::string serializeXml(const Value& root);
// Fails (empty result) on anything that is not a well-formed plist document.
std::optional<Value> parseXml(std::string_view text);

} // namespace qlkit::plist
