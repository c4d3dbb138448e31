// The named pictures of the window (tab icons and such), drawn by the
// program itself: "822-photo-2-toolbar", "t", "1062-layers-2-toolbar",
// "830-pencil-toolbar". An unknown name gives a null image.
#pragma once

#include <QImage>
#include <QString>

namespace ql {

QImage imageNamed(const QString& name, QSize size = QSize(32, 32));

} // namespace ql
