// The ruler-guide markers, drawn by us, by the names the document and pages
// use for them.
#pragma once

#include <QImage>
#include <QString>

namespace ql {

inline const QString kEdgeMarkerTop = QStringLiteral("EdgeMarkerTop.tiff");
inline const QString kEdgeMarkerLeft = QStringLiteral("EdgeMarkerLeft.tiff");

// The picture of that name; a null image for a name we do not draw.
QImage canvasImage(const QString& name);

} // namespace ql
