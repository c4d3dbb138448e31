// PNG and TIFF pictures read one row at a time and averaged down as they
// come, so that a picture of any size and depth is read at the size asked
// while holding a few rows and the result: the toolkit's readers hold the
// whole picture first, at 32 bits a pixel when it is to be made smaller.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <optional>

namespace ql::bitmaps {

// What a PNG or TIFF header says: its pixels, and the form it is read into
// (grey at 8 or 16 bits where it is grey without alpha, else 32-bit RGB,
// premultiplied where it has alpha).
struct RowPicture {
    QSize size;
    QImage::Format format = QImage::Format_Invalid;
};

// None unless `data` is a PNG or a TIFF whose header reads.
std::optional<RowPicture> rowPictureOf(const QByteArray& data);

// A PNG or TIFF too large for the toolkit's readers to take as they are
// (more than their own limit at 32 bits a pixel): such pictures are read by
// rows. None for any other.
std::optional<RowPicture> pictureReadByRows(const QByteArray& data);

// The picture read at `size` pixels (no more than its own), each the average
// of those it covers, its resolution the file's; null when the data does not
// read to the end of the picture's pixels (damaged, or cut short of what its
// header promises), or would need more than kLargestTransientBytes to read.
QImage readRowByRow(const QByteArray& data, QSize size);

} // namespace ql::bitmaps
