#include "crash/Tally/HLYTallyEvent.h"

#include "sdk/foundation/Json.h"
#include "sdk/foundation/Log.h"

namespace qlkit {
namespace {

std::string describe(const Value& value)
{
    if (value.asString() || value.isNumber() || value.isNull())
        return value.description();
    return json::serialize(value);
}

// Bytes of the code point starting at text[at] and the UTF-16 units it takes.
// A malformed byte counts as one unit of one byte, as its replacement would.
std::pair<std::size_t, std::size_t> codePointAt(const std::string& text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return {1, 1};
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return {1, 1};
    return {length, length == 4 ? 2 : 1};
}

} // namespace

HLYTallyEvent::HLYTallyEvent(std::string key, Map metadataDictionary, const std::optional<Map>& customAttributes)
    : m_key(std::move(key))
    , m_customAttributes(filterCustomAttributes(customAttributes))
    , m_metadata(std::move(metadataDictionary))
{
}

HLYTallyEvent::HLYTallyEvent(const PredefinedEventType& type, const std::optional<Map>& customAttributes)
    : HLYTallyEvent("predefined", Map {{"predefined_type", type.type}}, customAttributes)
{
}

HLYTallyEvent::HLYTallyEvent(const CustomEventType& type, const std::optional<Map>& customAttributes)
    : HLYTallyEvent("custom", Map {{"custom_type", type.name}}, customAttributes)
{
}

void HLYTallyEvent::addPredefinedAttribute(const Value& value, const std::string& key)
{
    addAttributeForKeyToDictionaryByValidating(value, key, m_predefinedAttributes);
}

Map HLYTallyEvent::payloadDictionary() const
{
    Map payload = m_metadata;
    if (!m_predefinedAttributes.empty())
        payload.set("predefined_attributes", m_predefinedAttributes);
    if (!m_customAttributes.empty())
        payload.set("custom_attributes", m_customAttributes);
    return payload;
}

Map HLYTallyEvent::filterCustomAttributes(const std::optional<Map>& attributes)
{
    Map filtered;
    if (attributes)
        for (const auto& [key, value] : *attributes)
            addAttributeForKeyToDictionaryByValidating(value, key, filtered);
    return filtered;
}

void HLYTallyEvent::addAttributeForKeyToDictionaryByValidating(const Value& value, const std::string& key, Map& dictionary)
{
    // Keys are strings by type here, so only values can be of the wrong kind.
    if (value.isNull())
        return;
    if (dictionary.size() >= kMaxAttributes) {
        log::always("[Halyard:Tally] Maximum number of Event attributes exceeded. Ignoring attribute");
        return;
    }
    if (!validAttributeValue(value)) {
        log::always("[Halyard:Tally] Event attribute values must be of type NSString or NSNumber. Ignoring entry "
                    + key + ":" + describe(value));
        return;
    }
    const Value truncatedValue = truncateAttribute(value);
    const Value truncatedKey = truncateAttribute(key);
    dictionary.set(*truncatedKey.asString(), truncatedValue);
}

bool HLYTallyEvent::validAttributeValue(const Value& value)
{
    return value.isNumber() || value.asString();
}

Value HLYTallyEvent::truncateAttribute(const Value& value)
{
    const std::string* text = value.asString();
    if (!text)
        return value;
    std::string truncated = truncateString(*text);
    if (truncated.size() == text->size())
        return value;
    log::always("[Halyard:Tally] Maximum length for an Event attributes exceeded. Truncating to "
                + std::to_string(kMaxAttributeLength) + " characters.");
    return truncated;
}

std::string HLYTallyEvent::truncateString(const std::string& text)
{
    std::size_t units = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto [bytes, width] = codePointAt(text, at);
        if (units + width > kMaxAttributeLength)
            return text.substr(0, at);
        units += width;
        at += bytes;
    }
    return text;
}

Value HLYTallyEvent::serializeSuccess(const std::optional<bool>& success)
{
    if (!success)
        return nullptr;
    return *success ? "true" : "false";
}

} // namespace qlkit
