// Errors and messages of the barcode library: one error domain, code 200,
// English message texts as keys of the "Barcodes" string table.
#pragma once

#include "platform/Error.h"

#include <QString>
#include <initializer_list>

namespace ql {

extern const QString BCCodeErrorDomain;
constexpr int BCCodeErrorCode = 200;

// The library's error carrying `message` as its description.
Error BCCodeErrorWithMessage(const QString& message);

// Looks `english` up in the "Barcodes" table; the key itself when untranslated.
QString BCLocalizedString(const char* english);

// Fills the printf-style placeholders of a message (%@, %d, %lu, %ld, %c, ...)
// in order with the given texts.
QString BCFormat(const QString& format, std::initializer_list<QString> arguments);

// The two together, the usual way a message is made.
inline Error BCLocalizedError(const char* english, std::initializer_list<QString> arguments = {})
{
    return BCCodeErrorWithMessage(BCFormat(BCLocalizedString(english), arguments));
}

} // namespace ql
