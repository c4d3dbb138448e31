#include "platform/graphics/BitmapDecoding.h"

#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>

namespace ql::bitmaps {

double decodedBytes(QSize pixels, QImage::Format format)
{
    const int bits = format == QImage::Format_Invalid ? 32 : int(QImage::toPixelFormat(format).bitsPerPixel());
    return double(pixels.width()) * double(pixels.height()) * std::max(bits, 8) / 8.0;
}

QSize decodedSizeWithin(QSize full, QImage::Format format)
{
    const double bytes = full.isValid() ? decodedBytes(full, format) : 0.0;
    if (bytes <= double(kLargestDecodedBytes))
        return full;
    const double factor = std::sqrt(double(kLargestDecodedBytes) / bytes);
    return QSize(std::max(1, int(full.width() * factor)), std::max(1, int(full.height() * factor)));
}

// The toolkit refuses pictures above its allocation limit (128 MB, less than
// a 36-megapixel photo needs). The limit is shared by every reader, so
// raised reads take turns.
bool readWithinLimit(QImageReader& reader, QImage& image, double bytes)
{
    const int needed = int(bytes / double(1 << 20)) + 2;
    const int limit = QImageReader::allocationLimit();
    if (limit == 0 || needed <= limit)
        return reader.read(&image);
    static std::mutex raising;
    const std::lock_guard lock(raising);
    const int previous = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(needed);
    const bool read = reader.read(&image);
    QImageReader::setAllocationLimit(previous);
    return read;
}

namespace {

// Calls `chunk(type, body, length)` for each chunk before the image data
// until it returns false.
template <class Visit>
void forEachPngChunkBeforeData(const QByteArray& png, Visit chunk)
{
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        const QByteArrayView type(png.constData() + at + 4, 4);
        if (type == "IDAT" || length > quint32(png.size() - at - 12))
            return;
        if (!chunk(type, png.constData() + at + 8, length))
            return;
        at += 12 + qsizetype(length);
    }
}

} // namespace

std::optional<QPoint> pngDotsPerMeter(const QByteArray& png)
{
    std::optional<QPoint> found;
    forEachPngChunkBeforeData(png, [&found](QByteArrayView type, const char* fields, quint32 length) {
        if (type != "pHYs" || length != 9)
            return true;
        const quint32 x = qFromBigEndian<quint32>(fields);
        const quint32 y = qFromBigEndian<quint32>(fields + 4);
        // Not in metres (an aspect ratio only), or past what a picture holds.
        if (fields[8] == 1 && x != 0 && y != 0 && x <= quint32(INT_MAX) && y <= quint32(INT_MAX))
            found = QPoint(int(x), int(y));
        return false;
    });
    return found;
}

bool pngHasAlpha(const QByteArray& png)
{
    bool alpha = false;
    forEachPngChunkBeforeData(png, [&alpha](QByteArrayView type, const char* fields, quint32 length) {
        if (type == "IHDR" && length >= 13) {
            const quint8 colourType = quint8(fields[9]);
            alpha = colourType == 4 || colourType == 6;
        } else if (type == "tRNS") {
            alpha = true;
        }
        return !alpha;
    });
    return alpha;
}

std::optional<QPoint> jpegDotsPerMeter(const QByteArray& jpeg)
{
    // Marker segments up to the first frame or scan; the JFIF one carries
    // the density.
    const auto byte = [&jpeg](qsizetype at) { return quint8(jpeg[at]); };
    if (jpeg.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return std::nullopt;
    std::optional<QPoint> found;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && byte(at) == 0xFF) {
        const quint8 marker = byte(at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC))
            break;
        const qsizetype length = qFromBigEndian<quint16>(jpeg.constData() + at + 2);
        if (length < 2 || at + 2 + length > jpeg.size())
            break;
        const char* body = jpeg.constData() + at + 4;
        if (marker == 0xE0 && length >= 16 && QByteArrayView(body, 5) == QByteArrayView("JFIF\0", 5)) {
            const quint8 unit = quint8(body[7]);
            const int x = qFromBigEndian<quint16>(body + 8);
            const int y = qFromBigEndian<quint16>(body + 10);
            if (unit == 1)
                found = QPoint(int(100.0 * x / 2.54), int(100.0 * y / 2.54));
            else if (unit == 2)
                found = QPoint(100 * x, 100 * y);
            else
                found.reset();
        }
        at += 2 + length;
    }
    return found;
}

} // namespace ql::bitmaps
