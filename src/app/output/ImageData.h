// Pictures as data, and PDFs as PostScript: the conversions of the design
// helper that output and the image content's archive use.
#pragma once

#include "platform/Error.h"
#include "platform/graphics/Image.h"

#include <QByteArray>
#include <QString>

class ZVCanvasView;

namespace ql {

// The data a picture is stored as, and its kind: the first PDF original
// ("pdfImage", re-saved when that makes it smaller), else the first EPS
// original ("epsImage"), else a TIFF of its bitmap at the bitmap's own pixel
// size ("tiffImage"). Null data and no kind for an empty picture. The
// picture itself is left as it is.
QByteArray dataWithImage(const Image& image, QString* kindString = nullptr);

// A PostScript rendering of the PDF written to `path`, through poppler's
// pdftops in a private folder that is removed afterwards.
Status convertPDFToEPS(const QByteArray& pdf, const QString& path);

// Pages are not turned into pictures one by one: always a null picture.
Image imageForCanvas(const ZVCanvasView& page, double resolution);

} // namespace ql
