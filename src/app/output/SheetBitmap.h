// Sheets drawn into pixels at a resolution, in RGB or CMYK, one at a time.
#pragma once

#include "platform/Error.h"

#include <QImage>
#include <QList>

namespace ql {

class SheetDocument;
class ZVPDFPage;
class ZVDesignHelper;

// The colour space selector of output: 1 is CMYK, anything else RGB.
constexpr int kCMYKColorSpace = 1;

// One drawn sheet. The pixels are 32 bits each: in RGB a QImage of format
// RGB32 (opaque); in CMYK the same buffer holds the bytes C, M, Y, K of each
// pixel (0 no ink, 255 full ink), which only the writers read.
struct SheetBitmap {
    QImage pixels;
    bool cmyk = false;
    int dpi = 72;

    bool isNull() const { return pixels.isNull(); }
    int width() const { return pixels.width(); }
    int height() const { return pixels.height(); }
};

// The pixels a sheet is drawn into at `dpi`: trunc(w · dpi / 72) ×
// trunc(h · dpi / 72); empty for a sheet under a pixel.
QSize pixelSizeForSheet(const ZVPDFPage& sheet, int dpi);
// How many sheets give a picture at `dpi`.
int imageCountForPDF(const SheetDocument& document, int dpi);

// The sheet drawn on white at `dpi` (trunc(w · dpi / 72) × trunc(h · dpi /
// 72) pixels), converted to CMYK (perceptual, from sRGB) for selector 1.
// Null for a sheet under a pixel; an error when the pixels cannot be had.
Result<SheetBitmap> imageForSheet(const ZVPDFPage& sheet, ZVDesignHelper& helper, int dpi, int colorSpace);

// Every sheet in order; sheets under a pixel are left out. This holds all of
// them at once: writers that can go sheet by sheet use imageForSheet.
Result<QList<SheetBitmap>> imagesForPDF(const SheetDocument& document, ZVDesignHelper& helper, int dpi,
                                        int colorSpace = 0);

// RGB32 pixels turned into C, M, Y, K bytes in place.
Status convertToCMYK(QImage& pixels);

// The ICC profiles the pixels are in: sRGB, and the CMYK output profile.
QByteArray rgbProfileData();
Result<QByteArray> cmykProfileData();
// Where the CMYK output profile is read from.
QString cmykProfilePath();

} // namespace ql
