// Size of the scrolling notes under the new-version alert: 380 points wide
// and as tall as the laid-out text plus 3, up to 203 (taller text scrolls).
#pragma once

#include <QSizeF>
#include <QString>

namespace ql {

QSizeF notesAccessorySize(const QString& notes);

} // namespace ql
