// Lists fetched from a server are untrusted: read in either property-list
// encoding with tight bounds, and only a dictionary at the root is accepted.
#pragma once

#include "platform/Error.h"
#include "platform/archive/PlistValue.h"

#include <QByteArrayView>

namespace ql {

// `what` names the list in the error ("The notices are not a dictionary.").
Result<PlistValue::Dictionary> readFetchedDictionary(QByteArrayView data, const QString& what);

} // namespace ql
