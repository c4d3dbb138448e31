#include "sdk/RIGObfuscator.h"

#include "sdk/KitException.h"
#include "sdk/foundation/Base64.h"
#include "sdk/foundation/Plist.h"

namespace qlkit {

std::string RIGObfuscator::obfuscatedDataFromDictionary(const Map& dictionary)
{
    return base64::encode(plist::serializeXml(Value(dictionary)));
}

Map RIGObfuscator::dictionaryWithObfuscatedData(const std::optional<std::string>& data)
{
    if (!data || data->empty())
        throw KitException("InvalidObfuscatedData", "Attempting to deobfuscate nil or empty data.");
    const auto archive = base64::decode(*data);
    if (!archive)
        throw KitException("InvalidObfuscatedData", "Improperly obfuscated data.");
    auto root = plist::parseXml(std::string_view(reinterpret_cast<const char*>(archive->data()), archive->size()));
    // An unreadable archive is as damaged as one whose root is not a dictionary.
    if (!root || !root->asMap())
        throw KitException("InvalidObfuscatedData", "Improperly obfuscated data.");
    return *root->asMap();
}

} // namespace qlkit
