// Errors of property-list and keyed-archive reading and writing.
#pragma once

#include "platform/Error.h"

#include <QMetaType>

namespace ql {

enum class ArchiveErrorCode {
    NotAPropertyList = 1, // wrong magic, too short
    Damaged,              // offsets, counts or references outside the file
    TooLarge,             // a limit was exceeded
    TooDeep,              // nesting beyond the depth limit
    Cycle,                // a value that contains itself
    NotAnArchive,         // a property list without the keyed-archive layout
    ClassNotAllowed,      // a class not registered for this kind of archive
    WrongType,            // a value of another kind than the key requires
    Unencodable,          // the writer was handed a value it cannot store
};

inline const QString archiveErrorDomain = QStringLiteral("Archive");

inline Error archiveError(ArchiveErrorCode code, const QString& message)
{
    return Error {archiveErrorDomain, int(code), message};
}

// What a value of this type is called in messages to the user ("styled
// text", "a colour", "a list", ...); the program's own type names never
// reach a message.
QString valueKindInWords(QMetaType type);

} // namespace ql
