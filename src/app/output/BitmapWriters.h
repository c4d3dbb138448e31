// File forms of drawn sheets: PNG (RGB only), JPEG and TIFF in RGB or CMYK,
// each with its colour profile and resolution.
#pragma once

#include "app/output/SheetBitmap.h"

#include <QByteArray>
#include <QList>
#include <utility>

namespace ql {

// The export formats, as the export settings number them.
enum class ExportFormat { PDF = 0, JPEG = 1, PNG = 2, TIFF = 3 };

// Text entries of a PNG ("tEXt" chunks): Latin-1 keyword and value.
using PNGText = QList<std::pair<QByteArray, QByteArray>>;

Result<QByteArray> encodePNG(const SheetBitmap& bitmap, const PNGText& text = {});
// `quality` is a compression factor from 0 (smallest) to 1 (best); more
// acts as 1.
Result<QByteArray> encodeJPEG(const SheetBitmap& bitmap, double quality);
Result<QByteArray> encodeTIFF(const SheetBitmap& bitmap);
// One of the three by format; PDF is not a bitmap format.
Result<QByteArray> encodeBitmap(const SheetBitmap& bitmap, ExportFormat format, double quality);

} // namespace ql
