// The kit's one dynamic value: what property lists and JSON documents hold.
// Maps keep their insertion order, because request bodies and stored files
// are written in the order the keys were set.
#pragma once

#include "sdk/foundation/Decimal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace qlkit {

class Value;

using Bytes = std::vector<std::uint8_t>;
using Array = std::vector<Value>;

// A point in time as seconds since 1970-01-01 UTC.
struct Date {
    double secondsSince1970 = 0;
    bool operator==(const Date&) const = default;
};

// Ordered dictionary with string keys; setting an existing key keeps its place.
class Map {
public:
    using Entry = std::pair<std::string, Value>;

    Map() = default;
    Map(std::initializer_list<Entry> entries);
    // In one pass however many entries there are: a later entry with the key
    // of an earlier one replaces its value in the earlier place, as set() does.
    explicit Map(std::vector<Entry> entries);

    const Value* find(const std::string& key) const;
    Value* find(const std::string& key);
    bool contains(const std::string& key) const { return find(key) != nullptr; }
    void set(const std::string& key, Value value);
    bool remove(const std::string& key);
    void clear();

    std::size_t size() const;
    bool empty() const;
    std::vector<Entry>::const_iterator begin() const;
    std::vector<Entry>::const_iterator end() const;

    // Equal when both hold the same keys with equal values, in any order.
    bool operator==(const Map& other) const;

private:
    std::vector<Entry> m_entries;
};

class Value {
public:
    enum class Type { Null, Bool, Int, Double, String, Bytes, Date, Array, Map, Decimal };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : m_data(b) {}
    Value(int i) : m_data(std::int64_t(i)) {}
    Value(long i) : m_data(std::int64_t(i)) {}
    Value(long long i) : m_data(std::int64_t(i)) {}
    Value(unsigned i) : m_data(std::int64_t(i)) {}
    Value(unsigned long i) : m_data(std::int64_t(i)) {}
    Value(unsigned long long i) : m_data(std::int64_t(i)) {}
    Value(double d) : m_data(d) {}
    // A 32-bit float as the number its own shortest text names: 0.1f is
    // described as "0.1", not as the digits of the widened double.
    static Value fromFloat(float f);
    Value(const char* s) : m_data(std::string(s)) {}
    Value(std::string s) : m_data(std::move(s)) {}
    Value(Bytes b) : m_data(std::move(b)) {}
    Value(Date d) : m_data(d) {}
    Value(Array a) : m_data(std::move(a)) {}
    Value(Map m) : m_data(std::move(m)) {}
    Value(Decimal d) : m_data(std::move(d)) {}

    Type type() const { return Type(m_data.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isNumber() const
    {
        return type() == Type::Bool || type() == Type::Int || type() == Type::Double || type() == Type::Decimal;
    }

    const bool* asBool() const { return std::get_if<bool>(&m_data); }
    const std::int64_t* asInt() const { return std::get_if<std::int64_t>(&m_data); }
    const double* asDouble() const { return std::get_if<double>(&m_data); }
    const std::string* asString() const { return std::get_if<std::string>(&m_data); }
    const qlkit::Bytes* asBytes() const { return std::get_if<qlkit::Bytes>(&m_data); }
    const qlkit::Date* asDate() const { return std::get_if<qlkit::Date>(&m_data); }
    const qlkit::Array* asArray() const { return std::get_if<qlkit::Array>(&m_data); }
    const qlkit::Map* asMap() const { return std::get_if<qlkit::Map>(&m_data); }
    const qlkit::Decimal* asDecimal() const { return std::get_if<qlkit::Decimal>(&m_data); }
    qlkit::Map* asMap() { return std::get_if<qlkit::Map>(&m_data); }
    qlkit::Array* asArray() { return std::get_if<qlkit::Array>(&m_data); }

    // The boolean value of a number (non-zero is true); false for anything else.
    bool boolValue() const;
    // The number as a double, when it is one.
    std::optional<double> numberValue() const;
    // Text form used in URLs and form fields: strings unchanged, numbers in
    // decimal, booleans as 1/0 as the original platform's numbers print.
    std::string description() const;

    bool operator==(const Value& other) const { return m_data == other.m_data; }

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, qlkit::Bytes,
                 qlkit::Date, qlkit::Array, qlkit::Map, qlkit::Decimal>
        m_data;
};

// Defined once Value is complete: they instantiate the entries' type.
inline void Map::clear()
{
    m_entries.clear();
}

inline std::size_t Map::size() const
{
    return m_entries.size();
}

inline bool Map::empty() const
{
    return m_entries.empty();
}

inline std::vector<Map::Entry>::const_iterator Map::begin() const
{
    return m_entries.begin();
}

inline std::vector<Map::Entry>::const_iterator Map::end() const
{
    return m_entries.end();
}

} // namespace qlkit
