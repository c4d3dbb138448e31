// Keeps a configuration dictionary from being read at a glance: a property
// list of it, Base64-encoded. There is no key; this is not encryption.
#pragma once

#include "sdk/foundation/Value.h"

#include <optional>
#include <string>

namespace qlkit {

class RIGObfuscator {
public:
    static std::string obfuscatedDataFromDictionary(const Map& dictionary);
    // Raises KitException "InvalidObfuscatedData" for empty or damaged data.
    static Map dictionaryWithObfuscatedData(const std::optional<std::string>& data);
};

} // namespace qlkit
