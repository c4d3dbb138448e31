// Sheets written as a PDF: one PDF page per sheet, its media, crop and bleed
// boxes exactly the sheet and its trim box the sheet's trim, text and shapes
// as vectors.
#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QSizeF>

namespace ql {

class SheetDocument;
class ZVDesignHelper;

// The PDF of the sheets; sheets smaller than a point are left out, a sheet
// larger than a PDF page may be is refused. A picture is stored once however
// many sheets show it.
Result<QByteArray> pdfData(const SheetDocument& document, ZVDesignHelper& helper);

// What a written page is: the sheet's size, and its trim within it from the
// top-left corner, in points.
struct SheetBoxes {
    QSizeF size;
    QRectF trim;
};

// Sets the media, crop and bleed boxes of each page to (0, 0, width, height)
// of its sheet and the trim box to its trim, moving the drawing so that it
// keeps its place from the top-left corner.
Result<QByteArray> setExactPageBoxes(const QByteArray& pdf, const QList<SheetBoxes>& sheets);

// The same PDF saved anew (streams compressed, unused objects dropped); the
// original when that is not smaller or cannot be read.
QByteArray compactedPDF(const QByteArray& pdf);

} // namespace ql
