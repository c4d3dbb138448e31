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
};

// PNG: grey of 1, 2, 4, 8 and 16 bits, grey with alpha, palettes with and
// without transparency, RGB and RGBA of 8 and 16 bits, each plain and
// interlaced. TIFF: 1-bit of both photometric kinds, palette, grey of 8 and
// 16 bits, RGB, grey and RGBA with associated and unassociated alpha, by
// strips and by tiles (16 × 16), samples contiguous and planar.
QList<PictureKind> pictureKinds(QSize size);

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
