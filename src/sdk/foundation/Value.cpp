#include "sdk/foundation/Value.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>

namespace qlkit {

Map::Map(std::initializer_list<Entry> entries)
{
    for (const auto& [key, value] : entries)
        set(key, value);
}

Map::Map(std::vector<Entry> entries)
{
    m_entries.reserve(entries.size());
    // Views into m_entries stay valid: it never grows past what was reserved.
    std::unordered_map<std::string_view, std::size_t> places;
    places.reserve(entries.size());
    for (auto& [key, value] : entries) {
        if (const auto place = places.find(key); place != places.end()) {
            m_entries[place->second].second = std::move(value);
            continue;
        }
        m_entries.emplace_back(std::move(key), std::move(value));
        places.emplace(m_entries.back().first, m_entries.size() - 1);
    }
}

const Value* Map::find(const std::string& key) const
{
    for (const auto& entry : m_entries)
        if (entry.first == key)
            return &entry.second;
    return nullptr;
}

Value* Map::find(const std::string& key)
{
    for (auto& entry : m_entries)
        if (entry.first == key)
            return &entry.second;
    return nullptr;
}

void Map::set(const std::string& key, Value value)
{
    if (Value* existing = find(key))
        *existing = std::move(value);
    else
        m_entries.emplace_back(key, std::move(value));
}

bool Map::remove(const std::string& key)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const Entry& entry) { return entry.first == key; });
    if (it == m_entries.end())
        return false;
    m_entries.erase(it);
    return true;
}

bool Map::operator==(const Map& other) const
{
    if (size() != other.size())
        return false;
    for (const auto& [key, value] : m_entries) {
        const Value* theirs = other.find(key);
        if (!theirs || !(*theirs == value))
            return false;
    }
    return true;
}

Value Value::fromFloat(float f)
{
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, f);
    double nearest = 0;
    // Nine significant digits at most: the double nearest to them prints back the same.
    if (written.ec != std::errc() || std::from_chars(buffer, written.ptr, nearest).ec != std::errc())
        return Value(double(f));
    return Value(nearest);
}

bool Value::boolValue() const
{
    if (auto b = asBool())
        return *b;
    if (auto i = asInt())
        return *i != 0;
    if (auto d = asDouble())
        return *d != 0;
    if (auto d = asDecimal())
        return !d->isZero();
    return false;
}

std::optional<double> Value::numberValue() const
{
    if (auto b = asBool())
        return *b ? 1.0 : 0.0;
    if (auto i = asInt())
        return double(*i);
    if (auto d = asDouble())
        return *d;
    if (auto d = asDecimal())
        return d->toDouble();
    return std::nullopt;
}

std::string Value::description() const
{
    if (auto s = asString())
        return *s;
    if (auto b = asBool())
        return *b ? "1" : "0";
    if (auto i = asInt())
        return std::to_string(*i);
    if (auto d = asDouble()) {
        char buffer[64];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, *d);
        return std::string(buffer, result.ptr);
    }
    if (auto d = asDecimal())
        return d->toString();
    if (isNull())
        return "<null>";
    return {};
}

} // namespace qlkit
