#include "platform/graphics/BitmapDecoding.h"

#include "platform/graphics/RowReading.h"

#include <QList>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>
#include <vector>

namespace ql::bitmaps {

double decodedBytes(QSize pixels, QImage::Format format)
{
    const int bits = format == QImage::Format_Invalid ? 32 : int(QImage::toPixelFormat(format).bitsPerPixel());
    const double rowBytes = std::ceil(double(pixels.width()) * std::max(bits, 8) / 32.0) * 4.0;
    return rowBytes * double(pixels.height());
}

double countedBytes(QSize pixels, QImage::Format format)
{
    const int bits = format == QImage::Format_Invalid ? 32 : int(QImage::toPixelFormat(format).bitsPerPixel());
    return double(pixels.width()) * double(pixels.height()) * std::max(bits, 32) / 8.0;
}

QSize decodedSizeWithin(QSize full, QImage::Format format)
{
    if (!full.isValid())
        return full;
    return sizeWithin(full, double(kLargestDecodedBytes), [format](QSize size) { return decodedBytes(size, format); });
}

QSize sizeWithin(QSize full, double bound, const std::function<double(QSize)>& cost)
{
    QSize size = full;
    // Each step takes off the excess as if the cost went with the area, or
    // with the one side left where the other is a pixel already; every step
    // takes a pixel off a side at least, so the steps are few and end.
    for (double excess = cost(size) / bound; excess > 1.0; excess = cost(size) / bound) {
        if (size.width() <= 1 && size.height() <= 1)
            return {};
        const bool thin = size.width() == 1 || size.height() == 1;
        const double factor = thin ? 1.0 / excess : 1.0 / std::sqrt(excess);
        const auto side = [factor](int pixels) {
            return pixels <= 1 ? 1 : std::clamp(int(pixels * factor), 1, pixels - 1);
        };
        size = QSize(side(size.width()), side(size.height()));
    }
    return size;
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

bool isGrey(QImage::Format format)
{
    return format == QImage::Format_Grayscale8 || format == QImage::Format_Grayscale16;
}

// Each pixel of the result the average of the source pixels that fall in it
// (whole pixels, each in one); `pixels` no larger than the source.
template <class Sample>
QImage averaged(const QImage& source, QSize pixels)
{
    QImage result(pixels, source.format());
    if (result.isNull())
        return {};
    const int width = source.width();
    std::vector<int> column(size_t(width), 0);
    std::vector<quint64> perColumn(size_t(pixels.width()), 0);
    for (int x = 0; x < width; ++x) {
        column[size_t(x)] = int(qint64(x) * pixels.width() / width);
        ++perColumn[size_t(column[size_t(x)])];
    }
    std::vector<quint64> sums(size_t(pixels.width()));
    int y = 0;
    for (int row = 0; row < pixels.height(); ++row) {
        const int first = y;
        const int end = int(qint64(row + 1) * source.height() / pixels.height());
        std::fill(sums.begin(), sums.end(), 0);
        for (; y < end; ++y) {
            const auto* in = reinterpret_cast<const Sample*>(source.constScanLine(y));
            for (int x = 0; x < width; ++x)
                sums[size_t(column[size_t(x)])] += in[x];
        }
        auto* out = reinterpret_cast<Sample*>(result.scanLine(row));
        const quint64 rows = quint64(end - first);
        for (int x = 0; x < pixels.width(); ++x) {
            const quint64 count = perColumn[size_t(x)] * rows;
            out[x] = Sample((sums[size_t(x)] + count / 2) / count);
        }
    }
    result.setDotsPerMeterX(source.dotsPerMeterX());
    result.setDotsPerMeterY(source.dotsPerMeterY());
    return result;
}

} // namespace

bool readAtSize(const QByteArray& data, QImageReader& reader, QImage& image, QSize full, QSize size,
                QImage::Format format)
{
    if (!full.isValid())
        return readWithinLimit(reader, image, 0.0);
    const double whole = countedBytes(full, format);
    if (size == full)
        return readWithinLimit(reader, image, whole);
    if (!isGrey(format) || whole <= double(kLargestTransientBytes)) {
        reader.setScaledSize(size);
        return readWithinLimit(reader, image, std::min(whole, double(kLargestTransientBytes)));
    }
    image = readRowByRow(data, size);
    return !image.isNull();
}

QImage reduced(const QImage& bitmap, QSize pixels)
{
    if (bitmap.isNull() || pixels.isEmpty())
        return {};
    const bool smaller = pixels.width() <= bitmap.width() && pixels.height() <= bitmap.height();
    if (smaller && bitmap.format() == QImage::Format_Grayscale8)
        return averaged<quint8>(bitmap, pixels);
    if (smaller && bitmap.format() == QImage::Format_Grayscale16)
        return averaged<quint16>(bitmap, pixels);
    return bitmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage reducedForPreview(const QImage& bitmap, QSize pixels)
{
    // The toolkit scales these as they are; any other kind it would first
    // copy whole at 32 bits a pixel.
    const QImage::Format format = bitmap.format();
    const bool asItIs = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied
        || format == QImage::Format_Grayscale8 || format == QImage::Format_Grayscale16;
    if (asItIs || bitmap.isNull() || pixels.isEmpty() || pixels.width() > bitmap.width()
        || pixels.height() > bitmap.height())
        return reduced(bitmap, pixels);
    return reducedByRows(bitmap, pixels);
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

namespace {

// Calls `segment(marker, body, length)` for each marker segment up to the
// header of the first scan until it returns false.
template <class Visit>
void forEachJpegSegmentToFirstScan(const QByteArray& jpeg, Visit segment)
{
    const auto byte = [&jpeg](qsizetype at) { return quint8(jpeg[at]); };
    if (jpeg.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && byte(at) == 0xFF) {
        const quint8 marker = byte(at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        const qsizetype length = qFromBigEndian<quint16>(jpeg.constData() + at + 2);
        if (length < 2 || at + 2 + length > jpeg.size())
            return;
        if (!segment(marker, jpeg.constData() + at + 4, length - 2) || marker == 0xDA)
            return;
        at += 2 + length;
    }
}

bool isFrameMarker(quint8 marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

std::optional<QPoint> jfifDotsPerMeter(int unit, int x, int y)
{
    if (unit == 1)
        return QPoint(int(100.0 * x / 2.54), int(100.0 * y / 2.54));
    if (unit == 2)
        return QPoint(100 * x, 100 * y);
    return std::nullopt;
}

std::optional<QPoint> jpegDotsPerMeter(const QByteArray& jpeg)
{
    // The JFIF segment, before the frame, carries the density.
    std::optional<QPoint> found;
    forEachJpegSegmentToFirstScan(jpeg, [&found](quint8 marker, const char* body, qsizetype length) {
        if (marker == 0xDA || isFrameMarker(marker))
            return false;
        if (marker == 0xE0 && length >= 14 && QByteArrayView(body, 5) == QByteArrayView("JFIF\0", 5)) {
            found = jfifDotsPerMeter(quint8(body[7]), qFromBigEndian<quint16>(body + 8),
                                     qFromBigEndian<quint16>(body + 10));
        }
        return true;
    });
    return found;
}

double jpegScanBufferBytes(const QByteArray& jpeg)
{
    struct Component {
        int horizontal;
        int vertical;
    };
    QSize size;
    bool progressive = false;
    QList<Component> components;
    int inFirstScan = 0;
    forEachJpegSegmentToFirstScan(jpeg, [&](quint8 marker, const char* body, qsizetype length) {
        if (isFrameMarker(marker) && length >= 6) {
            progressive = (marker & 0x3) == 2;
            size = QSize(qFromBigEndian<quint16>(body + 3), qFromBigEndian<quint16>(body + 1));
            const int count = quint8(body[5]);
            components.clear();
            for (int i = 0; i < count && 6 + 3 * i + 2 < length; ++i) {
                const quint8 factors = quint8(body[6 + 3 * i + 1]);
                components.append({std::max(1, factors >> 4), std::max(1, factors & 0xF)});
            }
        } else if (marker == 0xDA && length >= 1) {
            inFirstScan = quint8(body[0]);
        }
        return true;
    });
    if (components.isEmpty() || size.isEmpty() || (!progressive && inFirstScan >= components.size()))
        return 0.0;
    int widest = 1;
    int tallest = 1;
    for (const Component& c : std::as_const(components)) {
        widest = std::max(widest, c.horizontal);
        tallest = std::max(tallest, c.vertical);
    }
    // Blocks of 8 x 8 coefficients of two bytes, each component's rounded
    // up to whole units of its sampling, as the decoder allocates them.
    const auto blocks = [](double pixels, int factor, int largest, int unit) {
        const double count = std::ceil(pixels * factor / (8.0 * largest));
        return std::ceil(count / unit) * unit;
    };
    double bytes = 0.0;
    for (const Component& c : std::as_const(components))
        bytes += blocks(size.width(), c.horizontal, widest, c.horizontal)
            * blocks(size.height(), c.vertical, tallest, c.vertical) * 128.0;
    return bytes;
}

} // namespace ql::bitmaps
