// Builds the kit's service URLs: base, path pieces, then query parameters in
// the order they are appended.
#pragma once

#include "sdk/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qlkit {

class RIGURLBuilder {
public:
    static RIGURLBuilder URLWithBase(const std::string& base);

    void appendComponent(const std::string& text);
    void escapeAndAppendComponent(const std::string& text);
    // Nothing for a null value. Values are escaped so that they cannot add
    // parameters of their own ("&", "=", "+", "#" and "?" are escaped too).
    void appendValue(const Value& value, const std::string& name);

    // Percent-escapes over UTF-8 what may not stand in a URL at all, leaving
    // the delimiters ("/", "?", "&", "=", "+", ":", "@", ...) as they are.
    static std::string escapeString(const std::string& text);
    // escapeString, and the delimiters that would end or split a query value.
    static std::string escapeQueryValue(const std::string& text);

    const std::string& URLString() const { return m_URLString; }
    std::uint64_t queryParams() const { return m_queryParams; }
    // The text when it parses as an absolute URL.
    std::optional<std::string> URL() const;

private:
    std::string m_URLString;
    std::uint64_t m_queryParams = 0;
};

} // namespace qlkit
