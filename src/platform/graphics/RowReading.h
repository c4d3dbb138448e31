// PNG and TIFF pictures read one row at a time and averaged down as they
// come, so that a picture of any size and depth is read at the size asked
// while holding a few rows and the result: the toolkit's readers hold the
// whole picture first, at 32 bits a pixel when it is to be made smaller.
#pragma once

#include "platform/graphics/BitmapDecoding.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <climits>
#include <optional>

namespace ql::bitmaps {

// What a reader may hold at once besides the picture it reads into (a band
// of rows, the strip or tiles they are decoded from): half the budget, the
// other half the picture's. A picture whose reader would hold more is not
// read.
inline constexpr qint64 kLargestReaderBytes = kLargestTransientBytes / 2;

// What a PNG or TIFF header says: its pixels, the form it is read into
// (grey at 8 or 16 bits where it is grey without alpha, else 32-bit RGB,
// premultiplied where it has alpha), and what its reader would hold.
struct RowPicture {
    QSize size;
    QImage::Format format = QImage::Format_Invalid;
    double readerBytes = 0;
};

// None unless `data` is a PNG or a TIFF whose header reads.
std::optional<RowPicture> rowPictureOf(const QByteArray& data);

// A PNG or TIFF too large for the toolkit's readers to take as they are
// (more than their own limit at 32 bits a pixel), or one laid out in a way
// they misread (a TIFF of grey with alpha, whose alpha they drop, of 16-bit
// samples in planes, or in a tile larger than the picture, which they
// refuse; a 16-bit RGB PNG with a transparency chunk, whose channels they
// shift): such pictures are read by rows. None for any other.
std::optional<RowPicture> pictureReadByRows(const QByteArray& data);

// The picture read at `size` pixels (no more than its own, and fewer where
// reading would otherwise pass kLargestTransientBytes), each the average of
// those it covers, its resolution the file's; null when the data does not
// read to the end of the picture's pixels (damaged, or cut short of what its
// header promises), or its reader would hold more than kLargestReaderBytes.
QImage readRowByRow(const QByteArray& data, QSize size);

// A bitmap of any kind averaged down to `size` as a file read by rows is, a
// few of its rows made 32-bit at a time: never the whole of it.
QImage reducedByRows(const QImage& bitmap, QSize size);

// What a reader says of a picture before its first row.
struct RowStream {
    QSize size;
    // As RowPicture's.
    QImage::Format format = QImage::Format_Invalid;
    // The rows come in seven passes over the picture (an interlaced PNG),
    // each pass a row every few and a column every few.
    bool inPasses = false;
    // Colour comes multiplied by its alpha already.
    bool premultiplied = false;
    // What the reader itself holds meanwhile, its buffers and the row it
    // hands on.
    double readerBytes = 0;
    std::optional<QPoint> dotsPerMeter;
};

// Takes a picture's rows as a reader decodes them: grey pictures one sample
// a pixel (16-bit values for Format_Grayscale16, 8-bit ones otherwise), the
// others 8-bit R, G, B and A.
class RowSink {
public:
    virtual ~RowSink() = default;
    // False to read nothing more.
    virtual bool begin(const RowStream& stream) = 0;
    // `count` pixels of row `y`, from column `x0` every `dx` columns.
    virtual void add(int y, const quint8* samples, int x0, int dx, int count) = 0;
    virtual void add(int y, const quint16* samples, int x0, int dx, int count) = 0;
    // The rows wanted: readers skip the others where the file lets them.
    virtual int firstRow() const { return 0; }
    virtual int endRow() const { return INT_MAX; }
    // The pixels the sink reduces the picture to: a reader may hand it the
    // picture already reduced, to no fewer (a JPEG decodes at a half, a
    // quarter or an eighth of its size). Empty for every pixel.
    virtual QSize sizeWanted() const { return {}; }
};

// Whether a JPEG's data holds the whole picture its header describes:
// where data is missing, libjpeg makes grey of it and says so only in a
// warning. Read at an eighth of its size.
bool jpegHoldsItsPicture(const QByteArray& data);

// Reads a PNG, TIFF or JPEG into `sink`: false when it is none of them, the
// sink refuses it, or its data does not read to the end of the rows wanted.
bool readRows(const QByteArray& data, RowSink& sink);

} // namespace ql::bitmaps
