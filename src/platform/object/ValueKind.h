// The kinds of values a model property holds. Integer, double and 32-bit
// float numbers stay apart because documents store them apart.
#pragma once

#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

namespace ql {

enum class ValueKind {
    Bool,
    Int,    // any integer width
    Double,
    Float,  // 32-bit float
    String, // may be null
    Number, // a number or null, of any numeric kind
    Object, // a QObject or null
    Value,  // a value of one given type: rectangle, colour, list of layers, ...
    Any,    // anything, including null
};

QString valueKindName(ValueKind kind);

// What a property takes: its kind and, for values, their type (and for
// lists of variants, the type of every item).
struct ExpectedValue {
    ExpectedValue(ValueKind kind) : kind(kind) {}
    ValueKind kind;
    QMetaType type;
    QMetaType itemType;
};

// A value of type T (in a variant field also null).
template <class T>
ExpectedValue valueOf()
{
    ExpectedValue expected(ValueKind::Value);
    expected.type = QMetaType::fromType<T>();
    return expected;
}

// A list of variants, each holding a T.
template <class T>
ExpectedValue listOf()
{
    ExpectedValue expected = valueOf<QVariantList>();
    expected.itemType = QMetaType::fromType<T>();
    return expected;
}

// True when the variant holds a number (booleans count, as they do for
// the platform's number objects).
bool isNumeric(const QVariant& value);

// The QObject a variant holds, or null.
QObject* objectFromVariant(const QVariant& value);

// A number as an integer of type T: reals lose their fraction, values beyond
// T's range become its nearest bound and NaN becomes 0, so that a stored or
// typed-in number can never overflow the conversion.
template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
T integerFromVariant(const QVariant& value)
{
    using Limits = std::numeric_limits<T>;
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        const double d = value.toDouble();
        if (std::isnan(d))
            return 0;
        if (d <= double(Limits::min()))
            return Limits::min();
        if (d >= double(Limits::max()))
            return Limits::max();
        return static_cast<T>(d);
    }
    if (value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::ULong) {
        const qulonglong u = value.toULongLong();
        return std::cmp_greater(u, Limits::max()) ? Limits::max() : static_cast<T>(u);
    }
    const qlonglong v = value.toLongLong();
    if (std::cmp_less(v, Limits::min()))
        return Limits::min();
    if (std::cmp_greater(v, Limits::max()))
        return Limits::max();
    return static_cast<T>(v);
}

template <class T>
struct ValueTraits {
    static constexpr ValueKind kind = ValueKind::Any;
    static QVariant toVariant(const T& value) { return QVariant::fromValue(value); }
    static T fromVariant(const QVariant& value) { return value.value<T>(); }
};

template <>
struct ValueTraits<bool> {
    static constexpr ValueKind kind = ValueKind::Bool;
    static QVariant toVariant(bool value) { return QVariant(value); }
    static bool fromVariant(const QVariant& value) { return value.toBool(); }
};

template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
struct ValueTraits<T> {
    static constexpr ValueKind kind = ValueKind::Int;
    static QVariant toVariant(T value) { return QVariant::fromValue(value); }
    static T fromVariant(const QVariant& value) { return integerFromVariant<T>(value); }
};

template <>
struct ValueTraits<double> {
    static constexpr ValueKind kind = ValueKind::Double;
    static QVariant toVariant(double value) { return QVariant(value); }
    static double fromVariant(const QVariant& value) { return value.toDouble(); }
};

template <>
struct ValueTraits<float> {
    static constexpr ValueKind kind = ValueKind::Float;
    static QVariant toVariant(float value) { return QVariant(value); }
    static float fromVariant(const QVariant& value) { return value.toFloat(); }
};

template <>
struct ValueTraits<QString> {
    static constexpr ValueKind kind = ValueKind::String;
    static QVariant toVariant(const QString& value) { return value.isNull() ? QVariant() : QVariant(value); }
    static QString fromVariant(const QVariant& value) { return value.toString(); }
};

template <>
struct ValueTraits<QVariant> {
    static constexpr ValueKind kind = ValueKind::Any;
    static QVariant toVariant(const QVariant& value) { return value; }
    static QVariant fromVariant(const QVariant& value) { return value; }
};

template <class T>
    requires std::is_base_of_v<QObject, T>
struct ValueTraits<T*> {
    static constexpr ValueKind kind = ValueKind::Object;
    static QVariant toVariant(T* value) { return value ? QVariant::fromValue(static_cast<QObject*>(value)) : QVariant(); }
    static T* fromVariant(const QVariant& value) { return qobject_cast<T*>(objectFromVariant(value)); }
};

template <class T>
struct ValueTraits<QPointer<T>> {
    static constexpr ValueKind kind = ValueKind::Object;
    static QVariant toVariant(const QPointer<T>& value) { return ValueTraits<T*>::toVariant(value.data()); }
    static QPointer<T> fromVariant(const QVariant& value) { return ValueTraits<T*>::fromVariant(value); }
};

} // namespace ql
