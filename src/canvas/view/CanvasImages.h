// Small pictures of the canvas that we draw ourselves, by the names the
// document and pages use: the ruler-guide markers and the zoom-tool cursors.
#pragma once

#include <QImage>
#include <QString>

namespace ql {

inline const QString kEdgeMarkerTop = QStringLiteral("EdgeMarkerTop.tiff");
inline const QString kEdgeMarkerLeft = QStringLiteral("EdgeMarkerLeft.tiff");
inline const QString kZoomInCursor = QStringLiteral("zoomin");
inline const QString kZoomOutCursor = QStringLiteral("zoomout");

// The picture of that name; a null image for a name we do not draw.
QImage canvasImage(const QString& name);

} // namespace ql
