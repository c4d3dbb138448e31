#include "platform/object/ValueKind.h"

namespace ql {

QString valueKindName(ValueKind kind)
{
    switch (kind) {
    case ValueKind::Bool: return QStringLiteral("bool");
    case ValueKind::Int: return QStringLiteral("integer");
    case ValueKind::Double: return QStringLiteral("double");
    case ValueKind::Float: return QStringLiteral("float");
    case ValueKind::String: return QStringLiteral("string");
    case ValueKind::Number: return QStringLiteral("number");
    case ValueKind::Object: return QStringLiteral("object");
    case ValueKind::Value: return QStringLiteral("value");
    case ValueKind::Any: return QStringLiteral("any");
    }
    return QString();
}

bool isNumeric(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

QObject* objectFromVariant(const QVariant& value)
{
    if (!value.isValid())
        return nullptr;
    if (value.metaType().flags() & QMetaType::PointerToQObject)
        return *static_cast<QObject* const*>(value.constData());
    return nullptr;
}

} // namespace ql
