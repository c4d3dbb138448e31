// Rules shared by the ISBN, ISMN and ISSN codes.
#pragma once

#include "platform/Error.h"

#include <QString>

namespace ql {

// Whether the ICU pattern occurs anywhere in `text` (case-insensitive); an
// error when the pattern does not compile.
Result<bool> BCPatternOccurs(const char* pattern, const QString& text);

// The modulus-11 check character of `digits` with weights falling from
// `firstWeight`: "0" for remainder 0, "X" for remainder 1.
QString BCModulus11CheckCharacter(QStringView digits, int firstWeight);

// The integer value of the leading digits of `text` (0 when there are none);
// saturates instead of overflowing.
quint64 BCLeadingIntegerValue(QStringView text);

bool BCIsDecimalDigit(QChar c);

} // namespace ql
