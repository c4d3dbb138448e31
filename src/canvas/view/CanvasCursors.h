// The cursors pages and elements ask for, drawn by us: double arrows for the
// resize handles, curved arrows for the rotation handles, magnifiers for the
// zoom tool; each turned about its hot spot by the cursor's angle.
#pragma once

#include "canvas/CanvasCursor.h"

#include <QCursor>
#include <QPixmap>

namespace ql {

QCursor cursorFor(const CanvasCursor& cursor);
// The cursor's picture before it is turned (tests look at it).
QPixmap cursorPicture(const QString& name);

} // namespace ql
