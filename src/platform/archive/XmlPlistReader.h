// Reads an XML property list ("<plist version="1.0">...</plist>") into the
// same values the binary reader gives, held to the same limits: size of the
// text, number of values, entries of one container and nesting depth.
#pragma once

#include "platform/Error.h"
#include "platform/archive/ArchiveLimits.h"
#include "platform/archive/PlistValue.h"

#include <QByteArrayView>

namespace ql {

Result<PlistValue> readXmlPlist(QByteArrayView data, const ArchiveLimits& limits = {});

// A property list in either encoding, told apart by its first bytes.
Result<PlistValue> readPropertyList(QByteArrayView data, const ArchiveLimits& limits = {});

} // namespace ql
