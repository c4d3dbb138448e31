// What reading a bitmap file needs besides the toolkit's reader: the bounds
// a decoded picture keeps to, the resolution a header states, and reads
// past the toolkit's own memory limit.
#pragma once

#include <QImage>
#include <QImageReader>
#include <QPoint>
#include <QSize>
#include <functional>
#include <optional>

namespace ql::bitmaps {

// Bitmaps that would take more memory than this decoded are decoded scaled
// down to it: still more pixels than print needs, and a document of several
// such photos stays well within memory.
inline constexpr qint64 kLargestDecodedBytes = qint64(256) << 20;
// A decoder asked for a smaller picture may decode a larger one first (JPEG
// scales in eighths) and shrink that: it may take up to this much meanwhile.
inline constexpr qint64 kLargestTransientBytes = qint64(512) << 20;

// In floating point: a header may claim any size. Rows are counted as a
// bitmap keeps them, in whole 32-bit words: a grey picture one pixel wide
// takes 4 bytes a row.
double decodedBytes(QSize pixels, QImage::Format format);
// What the toolkit's readers count against their allocation limit for a
// picture of `pixels`: 32 bits a pixel at least, whatever its depth.
double countedBytes(QSize pixels, QImage::Format format);
// The pixels a picture of `full` pixels is decoded at: all of them, or
// fewer in the same shape when they would take more than kLargestDecodedBytes.
QSize decodedSizeWithin(QSize full, QImage::Format format);
// `full` made smaller in the same shape (a side that reaches one pixel
// stays one, the other shrinking on) until `cost` of it is no more than
// `bound`: `full` itself when it is already; empty when not even one pixel
// is. `cost` grows with each side.
QSize sizeWithin(QSize full, double bound, const std::function<double(QSize)>& cost);
// Reads with the toolkit's allocation limit raised, for this read only, to
// the `bytes` it counts for the picture (countedBytes).
bool readWithinLimit(QImageReader& reader, QImage& image, double bytes);
// Reads a picture of `full` pixels and `format` (as its header says) from
// `data` at `size`: all its pixels, or fewer, taking no more than
// kLargestTransientBytes meanwhile. The toolkit shrinks a grey picture
// through a 32-bit copy of all of it: one too large for that is read by
// rows (RowReading.h), a JPEG decoded reduced in eighths first.
bool readAtSize(const QByteArray& data, QImageReader& reader, QImage& image, QSize full, QSize size,
                QImage::Format format);
// The bitmap reduced to `pixels`, each the average of those it covers, its
// resolution kept; a grey bitmap stays grey and needs no 32-bit copy.
QImage reduced(const QImage& bitmap, QSize pixels);
// The same for a thumbnail, never copied whole at 32 bits whatever its
// kind: a palette, 1-bit or 16-bit colour bitmap is made 32-bit a few rows
// at a time, each pixel the plain average of those it covers.
QImage reducedForPreview(const QImage& bitmap, QSize pixels);

// The resolution a PNG's or a JPEG's header states in dots per metre, as
// the toolkit's readers give it to the decoded picture; none when it states
// none (or only an aspect ratio).
std::optional<QPoint> pngDotsPerMeter(const QByteArray& png);
std::optional<QPoint> jpegDotsPerMeter(const QByteArray& jpeg);
// A JFIF density (unit 1 dots per inch, 2 per centimetre) in whole dots per
// metre, as the toolkit's reader takes it; none for an aspect ratio alone.
std::optional<QPoint> jfifDotsPerMeter(int unit, int x, int y);
// What a JPEG's decoder keeps besides the picture: a file of several scans
// (progressive, or a component per scan) holds every coefficient of the
// whole picture its header claims until the last scan, whatever size it is
// decoded at. None for a file of one scan or another format. A file whose
// buffers would take more than kLargestTransientBytes is not decoded.
double jpegScanBufferBytes(const QByteArray& jpeg);
// Whether a PNG's pixels carry alpha: an alpha channel, or a transparency
// chunk (which the toolkit's reader turns into alpha, palettes included).
bool pngHasAlpha(const QByteArray& png);

} // namespace ql::bitmaps
