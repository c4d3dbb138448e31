#include "platform/archive/PlistValue.h"

namespace ql {

namespace {

const PlistValue::Array emptyArray;
const PlistValue::Dictionary emptyDictionary;
const QString emptyString;
const QByteArray emptyData;

} // namespace

PlistValue PlistValue::boolean(bool value)
{
    PlistValue v;
    v.m_type = Type::Bool;
    v.m_scalar.i = value ? 1 : 0;
    return v;
}

PlistValue PlistValue::integer(std::int64_t value)
{
    PlistValue v;
    v.m_type = Type::Integer;
    v.m_scalar.i = value;
    return v;
}

PlistValue PlistValue::unsignedInteger(std::uint64_t value)
{
    PlistValue v;
    v.m_type = Type::Integer;
    v.m_scalar.u = value;
    v.m_flag = value > std::uint64_t(INT64_MAX);
    return v;
}

PlistValue PlistValue::real(double value)
{
    PlistValue v;
    v.m_type = Type::Real;
    v.m_scalar.d = value;
    return v;
}

PlistValue PlistValue::float32(float value)
{
    PlistValue v;
    v.m_type = Type::Real;
    v.m_scalar.d = double(value);
    v.m_flag = true;
    return v;
}

PlistValue PlistValue::date(double seconds)
{
    PlistValue v;
    v.m_type = Type::Date;
    v.m_scalar.d = seconds;
    return v;
}

PlistValue PlistValue::data(QByteArray value)
{
    PlistValue v;
    v.m_type = Type::Data;
    v.m_payload = std::move(value);
    return v;
}

PlistValue PlistValue::string(QString value)
{
    PlistValue v;
    v.m_type = Type::String;
    v.m_payload = std::move(value);
    return v;
}

PlistValue PlistValue::uid(std::uint64_t value)
{
    PlistValue v;
    v.m_type = Type::Uid;
    v.m_scalar.u = value;
    return v;
}

PlistValue PlistValue::array(Array values)
{
    PlistValue v;
    v.m_type = Type::Array;
    v.m_payload = std::make_shared<const Array>(std::move(values));
    return v;
}

PlistValue PlistValue::dictionary(Dictionary entries)
{
    PlistValue v;
    v.m_type = Type::Dictionary;
    v.m_payload = std::make_shared<const Dictionary>(std::move(entries));
    return v;
}

const QByteArray& PlistValue::toData() const
{
    const auto* data = std::get_if<QByteArray>(&m_payload);
    return data ? *data : emptyData;
}

const QString& PlistValue::toString() const
{
    const auto* string = std::get_if<QString>(&m_payload);
    return string ? *string : emptyString;
}

const PlistValue::Array& PlistValue::toArray() const
{
    const auto* array = std::get_if<std::shared_ptr<const Array>>(&m_payload);
    return array ? **array : emptyArray;
}

const PlistValue::Dictionary& PlistValue::toDictionary() const
{
    const auto* dictionary = std::get_if<std::shared_ptr<const Dictionary>>(&m_payload);
    return dictionary ? **dictionary : emptyDictionary;
}

const PlistValue* PlistValue::find(const QString& key) const
{
    for (const auto& [k, v] : toDictionary())
        if (k == key)
            return &v;
    return nullptr;
}

const void* PlistValue::containerIdentity() const
{
    if (const auto* array = std::get_if<std::shared_ptr<const Array>>(&m_payload))
        return array->get();
    if (const auto* dictionary = std::get_if<std::shared_ptr<const Dictionary>>(&m_payload))
        return dictionary->get();
    return nullptr;
}

bool PlistValue::operator==(const PlistValue& other) const
{
    if (m_type != other.m_type || m_flag != other.m_flag)
        return false;
    switch (m_type) {
    case Type::Null:
        return true;
    case Type::Bool:
    case Type::Integer:
    case Type::Uid:
        return m_scalar.u == other.m_scalar.u;
    case Type::Real:
    case Type::Date:
        return m_scalar.d == other.m_scalar.d;
    case Type::Data:
        return toData() == other.toData();
    case Type::String:
        return toString() == other.toString();
    case Type::Array:
        return toArray() == other.toArray();
    case Type::Dictionary:
        return toDictionary() == other.toDictionary();
    }
    return false;
}

} // namespace ql
