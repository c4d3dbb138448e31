// Sheets written as a PDF: one PDF page per sheet, every box of it exactly
// the sheet, text and shapes as vectors.
#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QList>
#include <QSizeF>

namespace ql {

class SheetDocument;
class ZVDesignHelper;

// The PDF of the sheets; sheets smaller than a point are left out, a sheet
// larger than a PDF page may be is refused.
Result<QByteArray> pdfData(const SheetDocument& document, ZVDesignHelper& helper);

// Sets every box of each page to (0, 0, width, height) of `sizes` (points),
// moving the drawing so that it keeps its place from the top-left corner.
Result<QByteArray> setExactPageBoxes(const QByteArray& pdf, const QList<QSizeF>& sizes);

// The same PDF saved anew (streams compressed, unused objects dropped); the
// original when that is not smaller or cannot be read.
QByteArray compactedPDF(const QByteArray& pdf);

} // namespace ql
