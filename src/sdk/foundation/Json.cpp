#include "sdk/foundation/Json.h"

#include "sdk/foundation/Base64.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace qlkit::json {
namespace {

using Ordered = nlohmann::ordered_json;

// Builds the Value while the text is read, one open container at a time, so
// that no recursion follows the nesting and depth stops at a fixed bound.
class ValueBuilder final : public nlohmann::json_sax<Ordered> {
public:
    std::optional<Value> result;
    std::string error;

    bool null() override { return add(Value()); }
    bool boolean(bool b) override { return add(Value(b)); }
    bool number_integer(number_integer_t i) override { return add(Value(std::int64_t(i))); }
    bool number_unsigned(number_unsigned_t u) override
    {
        return add(u > std::uint64_t(INT64_MAX) ? Value(double(u)) : Value(std::int64_t(u)));
    }
    bool number_float(number_float_t d, const string_t&) override { return add(Value(d)); }
    bool string(string_t& s) override { return add(Value(std::move(s))); }
    bool binary(binary_t&) override { return fail("binary data is not JSON"); }
    bool start_object(std::size_t) override { return open(true); }
    bool key(string_t& key) override
    {
        m_open.back().key = std::move(key);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override
    {
        return fail(e.what());
    }

private:
    struct Open {
        bool isObject = false;
        Array elements;
        // Members are gathered and made into a map at the end in one pass:
        // setting them one by one would look each key up, and a document of
        // a few megabytes of keys would take minutes.
        std::vector<Map::Entry> members;
        std::string key; // of the next member
    };

    bool add(Value value)
    {
        if (m_open.empty()) {
            result = std::move(value);
            return true;
        }
        Open& top = m_open.back();
        if (top.isObject)
            top.members.emplace_back(std::move(top.key), std::move(value));
        else
            top.elements.push_back(std::move(value));
        return true;
    }
    bool open(bool isObject)
    {
        if (m_open.size() >= kMaxDepth)
            return fail("the document is nested more than " + std::to_string(kMaxDepth) + " levels deep");
        m_open.push_back({isObject, {}, {}, {}});
        return true;
    }
    bool close()
    {
        Open& top = m_open.back();
        Value done = top.isObject ? Value(Map(std::move(top.members))) : Value(std::move(top.elements));
        m_open.pop_back();
        return add(std::move(done));
    }
    bool fail(std::string message)
    {
        if (error.empty())
            error = std::move(message);
        return false;
    }

    std::vector<Open> m_open;
};

Ordered toJson(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Null:
        return nullptr;
    case Value::Type::Bool:
        return *value.asBool();
    case Value::Type::Int:
        return *value.asInt();
    case Value::Type::Double:
        return *value.asDouble();
    case Value::Type::String:
        return *value.asString();
    case Value::Type::Bytes:
        return base64::encode(*value.asBytes());
    case Value::Type::Date:
        return value.asDate()->secondsSince1970;
    case Value::Type::Array: {
        Ordered array = Ordered::array();
        for (const auto& element : *value.asArray())
            array.push_back(toJson(element));
        return array;
    }
    case Value::Type::Map: {
        Ordered object = Ordered::object();
        for (const auto& [key, element] : *value.asMap())
            object[key] = toJson(element);
        return object;
    }
    case Value::Type::Decimal: {
        // A plain number: exact for integers, and for up to 15 significant
        // digits through the double's shortest form.
        const Decimal& decimal = *value.asDecimal();
        if (const auto integer = decimal.toInt64())
            return *integer;
        if (const auto integer = decimal.toUInt64())
            return *integer;
        return decimal.toDouble();
    }
    }
    return nullptr;
}

bool isValidAtDepth(const Value& value, std::size_t depth)
{
    switch (value.type()) {
    case Value::Type::Bytes:
    case Value::Type::Date:
        return false;
    case Value::Type::Double:
        return std::isfinite(*value.asDouble());
    case Value::Type::Array:
        if (depth >= kMaxDepth)
            return false;
        for (const auto& element : *value.asArray())
            if (!isValidAtDepth(element, depth + 1))
                return false;
        return true;
    case Value::Type::Map:
        if (depth >= kMaxDepth)
            return false;
        for (const auto& [key, element] : *value.asMap())
            if (!isValidAtDepth(element, depth + 1))
                return false;
        return true;
    default:
        return true;
    }
}

} // namespace

bool isValidJSONObject(const Value& value) { return isValidAtDepth(value, 0); }

ParseResult parse(std::string_view text)
{
    ValueBuilder builder;
    ParseResult result;
    bool parsed = false;
    try {
        parsed = Ordered::sax_parse(text.begin(), text.end(), &builder);
    } catch (const nlohmann::json::exception& e) {
        builder.error = e.what();
    }
    if (parsed && builder.result)
        result.value = std::move(builder.result);
    else
        result.error = builder.error.empty() ? "the text is not JSON" : builder.error;
    return result;
}

std::string serialize(const Value& value)
{
    // Invalid UTF-8 in a string is replaced rather than thrown about.
    return toJson(value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace qlkit::json
