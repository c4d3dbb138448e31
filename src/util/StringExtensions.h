// Percent-encoding of query values.
#pragma once

#include <QString>

namespace ql {

// The UTF-8 bytes with a space as %20, letters, digits and - . _ ~ as they
// are, and every other byte as %XX in upper case.
QString urlencode(const QString& text);

} // namespace ql
