// Sheets written as a PDF: one PDF page per sheet, its media, crop and bleed
// boxes exactly the sheet and its trim box the sheet's trim, text and shapes
// as vectors.
#pragma once

#include "platform/Error.h"

#include <QByteArray>

namespace ql {

class SheetDocument;
class ZVDesignHelper;

// The PDF of the sheets; sheets smaller than a point are left out, a sheet
// larger than a PDF page may be is refused. A picture is stored once however
// many sheets show it.
Result<QByteArray> pdfData(const SheetDocument& document, ZVDesignHelper& helper);

// The same PDF saved anew (streams compressed, unused objects dropped); the
// original when that is not smaller or cannot be read.
QByteArray compactedPDF(const QByteArray& pdf);

} // namespace ql
