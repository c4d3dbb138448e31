// Keyed archives laid out by hand, for what our own archiver never writes.
#pragma once

#include "platform/archive/BinaryPlistWriter.h"
#include "platform/archive/PlistValue.h"

namespace ql::test {

inline PlistValue classRecord(const char* name)
{
    const PlistValue className = PlistValue::string(QString::fromLatin1(name));
    return PlistValue::dictionary({{QStringLiteral("$classname"), className},
                                   {QStringLiteral("$classes"), PlistValue::array({className})}});
}

// An archive of these objects ("$null" goes first) and top-level keys.
inline QByteArray handMade(PlistValue::Array objects, PlistValue::Dictionary top)
{
    objects.insert(objects.begin(), PlistValue::string(QStringLiteral("$null")));
    return writeBinaryPlist(PlistValue::dictionary({
        {QStringLiteral("$archiver"), PlistValue::string(QStringLiteral("NSKeyedArchiver"))},
        {QStringLiteral("$version"), PlistValue::integer(100000)},
        {QStringLiteral("$top"), PlistValue::dictionary(std::move(top))},
        {QStringLiteral("$objects"), PlistValue::array(std::move(objects))},
    }));
}

} // namespace ql::test
