#pragma once

#include <QString>

namespace ql {

// A new random UUID as 36 upper-case characters, the form pages, elements
// and master links are identified by in documents.
QString newUuidString();

} // namespace ql
