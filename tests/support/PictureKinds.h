// Small PNG and TIFF files of every layout the row-by-row reader takes, made
// with libpng and libtiff from one pattern of noisy samples, so that the
// toolkit's reader and ours can be held against each other.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

namespace ql::testing {

struct PictureKind {
    QString name;
    QByteArray data;
    // The pixels it holds, premultiplied, at 8 bits a channel (rounded).
    QImage expected;
    // The toolkit's reader gets it wrong or refuses it: the program reads
    // it by rows whatever its size.
    bool misreadByToolkit = false;
};

// PNG: grey of 1, 2, 4, 8 and 16 bits, grey with alpha, palettes with and
// without transparency, RGB and RGBA of 8 and 16 bits, 16-bit grey and RGB
// with a transparency chunk, each plain and interlaced. TIFF: 1-bit of both
// photometric kinds, palette, grey of 8 and 16 bits, RGB, grey and RGBA with
// associated and unassociated alpha, RGBA of 16 bits, CMYK, and YCbCr in
// JPEG, by strips and by tiles (16 × 16), samples contiguous and planar;
// RGBA in one tile larger than the picture; and, with orientation tags
// 2 to 8, JPEG by strips and tiles, CMYK and RGB by strips.
QList<PictureKind> pictureKinds(QSize size);

// Headers of TIFFs of every kind libtiff converts to RGBA (Lab, YCbCr in
// JPEG, CMYK with and without alpha and in planes, 16-bit palette, RGB of 2
// and 4 bits, grey of 4 bits with alpha in planes) whose one strip or tile
// would take more than the decoding budget to convert, and no pixels: a few
// hundred bytes each. `expected` is null.
QList<PictureKind> oversizedTiffHeaders();

// A TIFF of `size` pixels in tiles of 256, RGBA of unassociated alpha:
// white at half alpha left of `split`, opaque black from there. Made a tile
// at a time.
QByteArray halfClearTiledTiff(QSize size, int split);

// The largest difference of one channel between two pictures, as pixel()
// gives them, and the first pixel where it lies; 255 for pictures of
// different sizes.
struct PixelDifference {
    int largest = 0;
    QPoint at;
};
PixelDifference largestChannelDifference(const QImage& a, const QImage& b);

} // namespace ql::testing
