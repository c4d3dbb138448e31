#include "sdk/foundation/Json.h"

#include "sdk/foundation/Base64.h"

#include <nlohmann/json.hpp>

namespace qlkit::json {
namespace {

using Ordered = nlohmann::ordered_json;

Value fromJson(const Ordered& j)
{
    switch (j.type()) {
    case Ordered::value_t::null:
        return Value();
    case Ordered::value_t::boolean:
        return Value(j.get<bool>());
    case Ordered::value_t::number_integer:
        return Value(j.get<std::int64_t>());
    case Ordered::value_t::number_unsigned: {
        const auto u = j.get<std::uint64_t>();
        if (u > std::uint64_t(INT64_MAX))
            return Value(double(u));
        return Value(std::int64_t(u));
    }
    case Ordered::value_t::number_float:
        return Value(j.get<double>());
    case Ordered::value_t::string:
        return Value(j.get<std::string>());
    case Ordered::value_t::array: {
        Array array;
        array.reserve(j.size());
        for (const auto& element : j)
            array.push_back(fromJson(element));
        return Value(std::move(array));
    }
    case Ordered::value_t::object: {
        Map map;
        for (const auto& [key, element] : j.items())
            map.set(key, fromJson(element));
        return Value(std::move(map));
    }
    case Ordered::value_t::binary:
    case Ordered::value_t::discarded:
        break;
    }
    return Value();
}

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
    }
    return nullptr;
}

} // namespace

ParseResult parse(std::string_view text)
{
    ParseResult result;
    try {
        result.value = fromJson(Ordered::parse(text.begin(), text.end()));
    } catch (const nlohmann::json::exception& e) {
        result.error = e.what();
    }
    return result;
}

std::string serialize(const Value& value)
{
    // Invalid UTF-8 in a string is replaced rather than thrown about.
    return toJson(value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace qlkit::json
