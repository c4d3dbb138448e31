#include "sdk/foundation/Plist.h"

#include "sdk/foundation/Base64.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace qlkit::plist {
namespace {

void escapeInto(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
}

std::string isoDate(const Date& date)
{
    const std::time_t seconds = std::time_t(std::floor(date.secondsSince1970));
    std::tm tm {};
    gmtime_r(&seconds, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buffer;
}

std::optional<Date> parseIsoDate(std::string_view text)
{
    int year, month, day, hour, minute, second;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ", &year, &month, &day, &hour, &minute, &second) != 6)
        return std::nullopt;
    std::tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return Date {double(timegm(&tm))};
}

void write(std::string& out, const Value& value, int depth)
{
    const std::string indent(std::size_t(depth), '\t');
    switch (value.type()) {
    case Value::Type::Null:
        return;
    case Value::Type::Bool:
        out += indent + (*value.asBool() ? "<true/>\n" : "<false/>\n");
        return;
    case Value::Type::Int:
        out += indent + "<integer>" + std::to_string(*value.asInt()) + "</integer>\n";
        return;
    case Value::Type::Double:
        out += indent + "<real>" + value.description() + "</real>\n";
        return;
    case Value::Type::Decimal:
        out += indent + (value.asDecimal()->isInteger() ? "<integer>" : "<real>") + value.description()
            + (value.asDecimal()->isInteger() ? "</integer>\n" : "</real>\n");
        return;
    case Value::Type::String:
        out += indent + "<string>";
        escapeInto(out, *value.asString());
        out += "</string>\n";
        return;
    case Value::Type::Bytes:
        out += indent + "<data>" + base64::encode(*value.asBytes()) + "</data>\n";
        return;
    case Value::Type::Date:
        out += indent + "<date>" + isoDate(*value.asDate()) + "</date>\n";
        return;
    case Value::Type::Array:
        out += indent + "<array>\n";
        for (const auto& element : *value.asArray())
            write(out, element, depth + 1);
        out += indent + "</array>\n";
        return;
    case Value::Type::Map:
        out += indent + "<dict>\n";
        for (const auto& [key, element] : *value.asMap()) {
            if (element.isNull())
                continue;
            out += indent + "\t<key>";
            escapeInto(out, key);
            out += "</key>\n";
            write(out, element, depth + 1);
        }
        out += indent + "</dict>\n";
        return;
    }
}

// A small pull parser for the subset of XML a plist uses.
class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::optional<Value> document()
    {
        skipMisc();
        if (!consume("<plist"))
            return std::nullopt;
        if (!skipTo('>'))
            return std::nullopt;
        skipMisc();
        auto value = element(0);
        skipMisc();
        if (!value || !consume("</plist>"))
            return std::nullopt;
        skipMisc();
        if (m_pos != m_text.size())
            return std::nullopt;
        return value;
    }

private:
    static constexpr int kMaxDepth = 256;

    bool consume(std::string_view token)
    {
        if (m_text.substr(m_pos, token.size()) != token)
            return false;
        m_pos += token.size();
        return true;
    }

    bool skipTo(char c)
    {
        const auto found = m_text.find(c, m_pos);
        if (found == std::string_view::npos)
            return false;
        m_pos = found + 1;
        return true;
    }

    // Whitespace, the XML declaration, the doctype and comments.
    void skipMisc()
    {
        for (;;) {
            while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
                ++m_pos;
            if (m_text.substr(m_pos, 4) == "<!--") {
                const auto end = m_text.find("-->", m_pos);
                m_pos = end == std::string_view::npos ? m_text.size() : end + 3;
            } else if (m_text.substr(m_pos, 2) == "<?" || m_text.substr(m_pos, 2) == "<!") {
                if (!skipTo('>'))
                    m_pos = m_text.size();
            } else {
                return;
            }
        }
    }

    std::optional<std::string> textUntil(std::string_view closing)
    {
        const auto end = m_text.find(closing, m_pos);
        if (end == std::string_view::npos)
            return std::nullopt;
        auto raw = m_text.substr(m_pos, end - m_pos);
        m_pos = end + closing.size();
        return unescape(raw);
    }

    static void appendUtf8(std::string& out, std::uint32_t cp)
    {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }

    static std::optional<std::string> unescape(std::string_view raw)
    {
        std::string out;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '<')
                return std::nullopt;
            if (raw[i] != '&') {
                out += raw[i];
                continue;
            }
            const auto semi = raw.find(';', i);
            if (semi == std::string_view::npos)
                return std::nullopt;
            const auto entity = raw.substr(i + 1, semi - i - 1);
            if (entity == "amp") out += '&';
            else if (entity == "lt") out += '<';
            else if (entity == "gt") out += '>';
            else if (entity == "quot") out += '"';
            else if (entity == "apos") out += '\'';
            else if (entity.size() > 1 && entity[0] == '#') {
                std::uint32_t cp = 0;
                const bool hex = entity[1] == 'x';
                const auto digits = entity.substr(hex ? 2 : 1);
                auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
                if (ec != std::errc() || ptr != digits.data() + digits.size() || cp > 0x10FFFF)
                    return std::nullopt;
                appendUtf8(out, cp);
            } else {
                return std::nullopt;
            }
            i = semi;
        }
        return out;
    }

    std::optional<std::string> tagName()
    {
        if (!consume("<"))
            return std::nullopt;
        const auto start = m_pos;
        while (m_pos < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[m_pos]))))
            ++m_pos;
        return std::string(m_text.substr(start, m_pos - start));
    }

    std::optional<Value> element(int depth)
    {
        if (depth > kMaxDepth)
            return std::nullopt;
        auto name = tagName();
        if (!name)
            return std::nullopt;
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
        const bool empty = consume("/>");
        if (!empty && !consume(">"))
            return std::nullopt;
        if (*name == "true" || *name == "false") {
            if (!empty && !consume("</" + *name + ">"))
                return std::nullopt;
            return Value(*name == "true");
        }
        if (*name == "dict")
            return empty ? Value(Map()) : dict(depth);
        if (*name == "array")
            return empty ? Value(Array()) : array(depth);
        std::string text;
        if (!empty) {
            auto content = textUntil("</" + *name + ">");
            if (!content)
                return std::nullopt;
            text = std::move(*content);
        }
        if (*name == "string")
            return Value(text);
        if (*name == "integer") {
            std::int64_t i = 0;
            auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), i);
            if (ec != std::errc() || ptr != text.data() + text.size())
                return std::nullopt;
            return Value(i);
        }
        if (*name == "real") {
            double d = 0;
            auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
            if (ec != std::errc() || ptr != text.data() + text.size())
                return std::nullopt;
            return Value(d);
        }
        if (*name == "data") {
            std::string compact;
            for (char c : text)
                if (!std::isspace(static_cast<unsigned char>(c)))
                    compact += c;
            auto bytes = base64::decode(compact);
            if (!bytes)
                return std::nullopt;
            return Value(std::move(*bytes));
        }
        if (*name == "date") {
            auto date = parseIsoDate(text);
            if (!date)
                return std::nullopt;
            return Value(*date);
        }
        return std::nullopt;
    }

    std::optional<Value> dict(int depth)
    {
        Map map;
        for (;;) {
            skipMisc();
            if (consume("</dict>"))
                return Value(std::move(map));
            if (!consume("<key>"))
                return std::nullopt;
            auto key = textUntil("</key>");
            if (!key)
                return std::nullopt;
            skipMisc();
            auto value = element(depth + 1);
            if (!value)
                return std::nullopt;
            map.set(*key, std::move(*value));
        }
    }

    std::optional<Value> array(int depth)
    {
        Array array;
        for (;;) {
            skipMisc();
            if (consume("</array>"))
                return Value(std::move(array));
            auto value = element(depth + 1);
            if (!value)
                return std::nullopt;
            array.push_back(std::move(*value));
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

std::string serializeXml(const Value& root)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<plist version=\"1.0\">\n";
    write(out, root, 0);
    out += "</plist>\n";
    return out;
}

std::optional<Value> parseXml(std::string_view text)
{
    return Parser(text).document();
}

} // namespace qlkit::plist
