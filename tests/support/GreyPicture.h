// Pictures made without holding their pixels, for tests of pictures larger
// than memory allows decoded: grey, 1-bit and palette PNGs and TIFFs split
// into two parts, compressed row by row.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QSize>

namespace ql::testing {

// How the pixels are stored: 8- or 16-bit grey, 1-bit grey, palette
// indexes of 8 or 1 bits, 8-bit RGBA (PNG only) or 8-bit CMYK (TIFF only).
enum class SplitDepth { Grey8, Grey16, OneBit, Palette8, Palette1, Rgba8, Cmyk };

// The colours left and right of the split: black and white for grey
// depths, these two for palettes and RGBA (where the right one is a
// quarter clear).
inline const QColor kSplitLeftColour(220, 40, 30);
inline const QColor kSplitRightColour(30, 60, 220);

// A PNG of `size` pixels whose every row is dark (or red) left of `split`
// and white (or blue) from there: a picture of hundreds of megabytes
// decoded takes next to nothing to make.
QByteArray splitPng(QSize size, int split, SplitDepth depth);
// The same, a palette of 8 bits, interlaced (Adam7) with its left colour
// half clear through a transparency chunk.
QByteArray interlacedClearSplitPng(QSize size, int split);
QByteArray splitGreyPng(QSize size, int split);
// The same as a TIFF (1-bit grey stored white-is-zero, as scans are, grey
// and CMYK in one strip; palettes in strips of 64 rows), deflated.
QByteArray splitTiff(QSize size, int split, SplitDepth depth);

// A 10 × 10 red PNG whose header claims `claimed` pixels: its data ends
// long before the picture it describes.
QByteArray cutShortPng(QSize claimed);

} // namespace ql::testing
