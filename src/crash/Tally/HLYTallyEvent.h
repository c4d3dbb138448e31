// One analytics event as the application describes it: a key, the metadata
// naming its type, and attribute dictionaries that are checked, cut and
// bounded while they are filled, so that a careless caller cannot bloat or
// break the event log.
#pragma once

#include "sdk/foundation/Value.h"

#include <optional>
#include <string>

namespace qlkit {

class HLYTallyEvent {
public:
    static constexpr std::size_t kMaxAttributes = 20;
    static constexpr std::size_t kMaxAttributeLength = 100; // UTF-16 code units

    struct PredefinedEventType {
        std::string type;
    };
    struct CustomEventType {
        std::string name;
    };

    HLYTallyEvent(std::string key, Map metadataDictionary, const std::optional<Map>& customAttributes);
    // Key "predefined", metadata {"predefined_type": type}.
    HLYTallyEvent(const PredefinedEventType& type, const std::optional<Map>& customAttributes);
    // Key "custom", metadata {"custom_type": name}.
    HLYTallyEvent(const CustomEventType& type, const std::optional<Map>& customAttributes);

    // A null value is no attribute.
    void addPredefinedAttribute(const Value& value, const std::string& key);

    // The metadata, plus "predefined_attributes" and "custom_attributes" when
    // they hold anything.
    Map payloadDictionary() const;

    const std::string& key() const { return m_key; }
    const Map& customAttributes() const { return m_customAttributes; }
    const Map& predefinedAttributes() const { return m_predefinedAttributes; }
    const Map& metadata() const { return m_metadata; }

    static Map filterCustomAttributes(const std::optional<Map>& attributes);
    static void addAttributeForKeyToDictionaryByValidating(const Value& value, const std::string& key, Map& dictionary);
    static bool validAttributeValue(const Value& value);
    static Value truncateAttribute(const Value& value);
    // Strings longer than the limit lose their tail; a surrogate pair the cut
    // would split goes whole.
    static std::string truncateString(const std::string& text);
    // "true" or "false"; none stays none.
    static Value serializeSuccess(const std::optional<bool>& success);

private:
    std::string m_key;
    Map m_customAttributes;
    Map m_predefinedAttributes;
    Map m_metadata;
};

} // namespace qlkit
