// The pointer shown while something dragged away will vanish when let go:
// a small puff of smoke, drawn here.
#pragma once

#include <QCursor>

namespace ql {

QCursor disappearingItemCursor();

} // namespace ql
