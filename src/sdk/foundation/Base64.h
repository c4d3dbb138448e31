// RFC 4648 Base64 with padding and no line breaks.
#pragma once

#include "sdk/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace qlkit::base64 {

std::string encode(const Bytes& bytes);
std::string encode(std::string_view text);
// Strict: any character outside the alphabet, or wrong padding, fails.
std::optional<Bytes> decode(std::string_view text);

} // namespace qlkit::base64
