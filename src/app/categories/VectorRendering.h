// Pixels of PDF and EPS originals: PDF pages through poppler, EPS through
// Ghostscript when it is installed.
#pragma once

#include "platform/Error.h"
#include "platform/graphics/ImageRep.h"

#include <QImage>

namespace ql {

inline constexpr const char* kVectorRenderingErrorDomain = "ql.VectorRendering";

// The first page (or the EPS bounding box) drawn into `pixels`, on a
// transparent background.
Result<QImage> renderVectorRepresentation(const ImageRep& rep, QSize pixels);

Result<QImage> renderPdfPage(const QByteArray& data, int pageIndex, QSize pixels);
// `points` is the bounding box size.
Result<QImage> renderEps(const QByteArray& data, QSizeF points, QSize pixels);

// Whether EPS can be rendered here (Ghostscript found on the PATH).
bool canRenderEps();

} // namespace ql
