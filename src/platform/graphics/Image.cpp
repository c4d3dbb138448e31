#include "platform/graphics/Image.h"

#include "platform/graphics/BitmapDecoding.h"
#include "platform/graphics/RowReading.h"
#include "platform/graphics/SharedPictureDecoding.h"
#include "platform/graphics/StoredBitmap.h"
#include "platform/runtime/FileReading.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QRegularExpression>
#include <cmath>
#include <optional>

namespace ql {

namespace {

const QString errorDomain = QStringLiteral("Image");

enum ImageError { Unreadable = 1, UnknownFormat, NotEncodable, Empty };

Error imageError(ImageError code, const QString& message)
{
    return Error {errorDomain, code, message};
}

bool isPdf(const QByteArray& data)
{
    // The header may follow a little leading junk, as readers allow.
    return data.left(1024).contains("%PDF-");
}

bool isEps(const QByteArray& data)
{
    static const QByteArray binaryHeader("\xC5\xD0\xD3\xC6", 4);
    return data.startsWith("%!PS") || data.startsWith(binaryHeader);
}

QSizeF boxSize(const QRegularExpressionMatch& m)
{
    if (!m.hasMatch())
        return {};
    const double x0 = m.captured(1).toDouble();
    const double y0 = m.captured(2).toDouble();
    const double x1 = m.captured(3).toDouble();
    const double y1 = m.captured(4).toDouble();
    return QSizeF(std::abs(x1 - x0), std::abs(y1 - y0));
}

const QString number = QStringLiteral("(-?[0-9]*\\.?[0-9]+)");

QSizeF pdfPageSize(const QByteArray& data)
{
    // The first media box found; good enough to size the image until pages
    // are rendered.
    static const QRegularExpression box(QStringLiteral("/MediaBox\\s*\\[\\s*%1\\s+%1\\s+%1\\s+%1\\s*\\]").arg(number));
    return boxSize(box.match(QString::fromLatin1(data)));
}

QSizeF epsBoundingBox(const QByteArray& data)
{
    static const QRegularExpression box(QStringLiteral("%%BoundingBox:\\s*%1\\s+%1\\s+%1\\s+%1").arg(number));
    return boxSize(box.match(QString::fromLatin1(data.left(64 * 1024))));
}

bool isAcceptedBitmap(const QByteArray& format)
{
    static const QList<QByteArray> accepted {"png", "jpeg", "jpg", "tiff", "tif", "gif", "bmp"};
    return accepted.contains(format);
}

Error unknownFormat()
{
    return imageError(UnknownFormat, QStringLiteral("The data is not an image in a known format."));
}

// A picture read by rows whose rows do not all read.
Error cutShortError(QSize full)
{
    return imageError(Unreadable, QStringLiteral("The image could not be decoded: its data is damaged or ends before "
                                                 "its %1 × %2 pixels.")
                                      .arg(full.width())
                                      .arg(full.height()));
}

} // namespace

Image::Image(const QImage& bitmap)
{
    if (!bitmap.isNull())
        m_reps.append(ImageRep::bitmap(bitmap));
}

Image::Image(const ImageRep& representation)
{
    if (!representation.isNull())
        m_reps.append(representation);
}

Result<Image> Image::fromData(const QByteArray& data)
{
    if (data.isEmpty())
        return imageError(Empty, QStringLiteral("The image data is empty."));
    if (isPdf(data))
        return Image(ImageRep::pdf(data, pdfPageSize(data)));
    if (isEps(data))
        return Image(ImageRep::eps(data, epsBoundingBox(data)));

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (!isAcceptedBitmap(format))
        return unknownFormat();
    // PNG and TIFF pictures past the toolkit's own limit come row by row,
    // reduced as they come.
    const std::optional<bitmaps::RowPicture> byRows = bitmaps::pictureReadByRows(data);
    const QSize full = byRows ? byRows->size : reader.size();
    if (const double scans = bitmaps::jpegScanBufferBytes(data); scans > double(bitmaps::kLargestTransientBytes))
        return imageError(Unreadable, QStringLiteral("The picture is too large to decode: its %1 × %2 pixels in "
                                                     "several scans would take %3 MB.")
                                          .arg(full.width())
                                          .arg(full.height())
                                          .arg(qint64(scans) >> 20));
    if (byRows && byRows->readerBytes > double(bitmaps::kLargestReaderBytes))
        return imageError(Unreadable, QStringLiteral("The picture is too large to decode: one strip or row of "
                                                     "tiles of its %1 × %2 pixels would take %3 MB to read.")
                                          .arg(full.width())
                                          .arg(full.height())
                                          .arg(qint64(byRows->readerBytes) >> 20));
    // A reader that found no size may have set no pixel format either.
    const QImage::Format pixelFormat = byRows ? byRows->format
        : full.isValid()                      ? reader.imageFormat()
                                              : QImage::Format_Invalid;
    const QSize decodedSize = bitmaps::decodedSizeWithin(full, pixelFormat);
    if (full.isValid() && decodedSize != full && (format == "png" || format == "jpeg" || format == "jpg")) {
        // Past the budget a picture is shown as a document shows its stored
        // pictures: from its bytes, decoded no larger than it is drawn, and
        // never kept whole. It is read here, small, to be sure it decodes
        // to its end.
        if (const std::shared_ptr<const StoredBitmap> stored = StoredBitmap::fromHeader(data)) {
            const bool png = format == "png";
            if (!stored->decodes() || (!png && !bitmaps::jpegHoldsItsPicture(data)))
                return cutShortError(full);
            return Image(ImageRep::stored(stored));
        }
    }
    QImage image;
    if (byRows) {
        image = bitmaps::readRowByRow(data, decodedSize);
        if (image.isNull())
            return cutShortError(full);
    } else if (!bitmaps::readAtSize(data, reader, image, full, decodedSize, pixelFormat)) {
        return imageError(Unreadable, QStringLiteral("The image could not be decoded: %1").arg(reader.errorString()));
    }
    const bool scaled = full.isValid() && image.size() != full && image.width() > 0 && image.height() > 0;
    if (scaled && format == "png" && !byRows) {
        // The PNG reader scales the resolution with the pixels; the size in
        // points is worked out from the file's own below.
        if (const std::optional<QPoint> dots = bitmaps::pngDotsPerMeter(data)) {
            image.setDotsPerMeterX(dots->x());
            image.setDotsPerMeterY(dots->y());
        }
    }
    ImageRep rep = ImageRep::bitmap(image);
    if (scaled) {
        // Decoded scaled down: the picture keeps the size its file gives it.
        rep.setSize(QSizeF(rep.size().width() * full.width() / image.width(),
                           rep.size().height() * full.height() / image.height()));
    }
    if (scaled) // Its pixels are fewer than its file's: the document keeps the file.
        rep.setEncodedData(data, ImageRep::Encoding::Original);
    else if (format == "jpeg" || format == "jpg")
        rep.setEncodedData(data, ImageRep::Encoding::Jpeg);
    else if (format == "png")
        rep.setEncodedData(data, ImageRep::Encoding::Png);
    return Image(rep);
}

bool Image::isUndecodable(const Error& error)
{
    return error.domain == errorDomain && error.code == Unreadable;
}

Result<Image> Image::thumbnailFromData(const QByteArray& data, QSize largest)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!isAcceptedBitmap(reader.format()))
        return unknownFormat();
    const QSize full = reader.size();
    if (full.isValid() && qint64(full.width()) * full.height() > kLargestThumbnailPixels)
        return imageError(Unreadable, QStringLiteral("The picture is too large for a thumbnail (%1 × %2 pixels).")
                                          .arg(full.width())
                                          .arg(full.height()));
    QSize size = full;
    if (full.isValid() && !largest.isEmpty() && (full.width() > largest.width() || full.height() > largest.height())) {
        const QSize fitted = full.scaled(largest, Qt::KeepAspectRatio);
        size = QSize(std::max(1, fitted.width()), std::max(1, fitted.height()));
        reader.setScaledSize(size);
    }
    // Within the thumbnail's limit, what is read by rows is a layout the
    // toolkit misreads.
    if (full.isValid() && bitmaps::pictureReadByRows(data)) {
        const QImage image = bitmaps::readRowByRow(data, size);
        if (image.isNull())
            return cutShortError(full);
        return Image(image);
    }
    QImage image;
    if (!reader.read(&image))
        return imageError(Unreadable, QStringLiteral("The image could not be decoded: %1").arg(reader.errorString()));
    return Image(image);
}

Image Image::fromStoredData(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    return SharedPictureDecoding::decoded(data, [&data] { return decodeStored(data); });
}

Image Image::decodeStored(const QByteArray& data)
{
    // Photos wait to be drawn before they are decoded.
    if (!isPdf(data) && !isEps(data)) {
        if (std::shared_ptr<const StoredBitmap> stored = StoredBitmap::fromHeader(data))
            return Image(ImageRep::stored(std::move(stored)));
    }
    Result<Image> decoded = fromData(data);
    if (!decoded) {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        const QSize header = QImageReader(&buffer).size();
        return Image(ImageRep::undecodable(data, header.isValid() ? QSizeF(header) : QSizeF()));
    }
    Image image = *decoded;
    ImageRep& own = image.m_reps.first();
    if (own.kind() == ImageRep::Kind::Bitmap)
        own.setEncodedData(data, ImageRep::Encoding::Original);
    return image;
}

Result<Image> Image::fromFile(const QString& path)
{
    Result<QByteArray> data = readFileWithin(path, kLargestFileBytes);
    if (!data)
        return data.error();
    return fromData(*data);
}

QSizeF Image::size() const
{
    if (m_size.isValid())
        return m_size;
    return m_reps.isEmpty() ? QSizeF() : m_reps.first().size();
}

QSize Image::pixelSize() const
{
    return m_reps.isEmpty() ? QSize() : m_reps.first().pixelSize();
}

bool Image::isVector() const
{
    return !m_reps.isEmpty() && m_reps.first().isVector();
}

bool Image::hasAlpha() const
{
    return !m_reps.isEmpty() && m_reps.first().hasAlpha();
}

QImage Image::bitmap() const
{
    for (const ImageRep& rep : m_reps)
        if (rep.kind() == ImageRep::Kind::Bitmap)
            return rep.image();
    return {};
}

Result<QByteArray> Image::encoded(Format format, double quality) const
{
    const QImage image = bitmap();
    if (image.isNull())
        return imageError(NotEncodable, QStringLiteral("The image has no bitmap to encode."));
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    const char* name = format == Format::Png ? "png" : format == Format::Jpeg ? "jpeg" : "tiff";
    QImageWriter writer(&buffer, name);
    if (format == Format::Jpeg)
        writer.setQuality(std::clamp(int(quality * 100.0 + 0.5), 0, 100));
    // JPEG has no alpha: flatten onto white rather than black.
    QImage source = image;
    if (format == Format::Jpeg && image.hasAlphaChannel()) {
        source = QImage(image.size(), QImage::Format_RGB32);
        source.setDotsPerMeterX(image.dotsPerMeterX());
        source.setDotsPerMeterY(image.dotsPerMeterY());
        source.fill(Qt::white);
        QPainter painter(&source);
        painter.drawImage(0, 0, image);
    }
    if (!writer.write(source))
        return imageError(NotEncodable, QStringLiteral("The image could not be encoded: %1").arg(writer.errorString()));
    return out;
}

} // namespace ql
