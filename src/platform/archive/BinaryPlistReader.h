// Reads a binary property list ("bplist00"). Every offset, count and
// reference is checked against the file, containers that contain themselves
// are refused, and objects referenced several times are read once and shared.
#pragma once

#include "platform/Error.h"
#include "platform/archive/ArchiveLimits.h"
#include "platform/archive/PlistValue.h"

#include <QByteArrayView>

namespace ql {

Result<PlistValue> readBinaryPlist(QByteArrayView data, const ArchiveLimits& limits = {});

// True when the data starts like a binary property list.
bool looksLikeBinaryPlist(QByteArrayView data);

} // namespace ql
