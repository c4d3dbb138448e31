// JSON text to and from Value. Object key order and 64-bit integers survive a
// round trip; bytes are written as Base64 text and dates as seconds since 1970.
#pragma once

#include "sdk/foundation/Value.h"

#include <string>
#include <string_view>

namespace qlkit::json {

struct ParseResult {
    std::optional<Value> value;
    std::string error; // set when value is empty
};

// Containers nested deeper than this make the text unreadable, as in the
// property-list reader: a hostile document must not exhaust the stack.
inline constexpr std::size_t kMaxDepth = 256;

ParseResult parse(std::string_view text);
// Whether the value is JSON as it stands: no bytes, dates or numbers that are
// not finite anywhere in it (serialize() would have to make something up).
bool isValidJSONObject(const Value& value);
std::string serialize(const Value& value);

} // namespace qlkit::json
