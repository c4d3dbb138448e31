// Writes a binary property list ("bplist00"). Equal strings, numbers and
// data are written once; shared containers are written once; offsets and
// references take as few bytes as the file needs.
#pragma once

#include "platform/archive/PlistValue.h"

#include <QByteArray>

namespace ql {

QByteArray writeBinaryPlist(const PlistValue& root);

} // namespace ql
