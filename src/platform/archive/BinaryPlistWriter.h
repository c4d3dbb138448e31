// Writes a binary property list ("bplist00"). Equal strings, numbers and
// data are written once; shared containers are written once; offsets and
// references take as few bytes as the file needs.
#pragma once

#include "platform/Error.h"
#include "platform/archive/ArchiveLimits.h"
#include "platform/archive/PlistValue.h"

#include <QByteArray>

namespace ql {

QByteArray writeBinaryPlist(const PlistValue& root);
// The same, refused (naming its size) where the readers held to `limits`
// would refuse it: too many bytes (which are then counted, not kept) or
// objects.
Result<QByteArray> writeBinaryPlist(const PlistValue& root, const ArchiveLimits& limits);

} // namespace ql
