#include "platform/graphics/StoredBitmap.h"

#include "platform/graphics/BitmapDecoding.h"
#include "platform/graphics/RowReading.h"

#include <QBuffer>
#include <QImageReader>
#include <atomic>

namespace ql {

namespace {
std::atomic<quint64> g_decodes {0};
}

struct StoredBitmap::Header {
    QByteArray format;
    QSize size;
    QImage::Format pixelFormat = QImage::Format_Invalid;
    std::optional<QPoint> dotsPerMeter;
    bool alpha = false;
    bool byRows = false;
};

std::shared_ptr<const StoredBitmap> StoredBitmap::fromHeader(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    Header header;
    header.format = reader.format();
    if (header.format == "jpg")
        header.format = "jpeg";
    if (header.format != "jpeg" && header.format != "png")
        return nullptr;
    header.size = reader.size();
    // A reader that found no size may have set no pixel format either.
    if (!header.size.isValid() || header.size.isEmpty())
        return nullptr;
    header.pixelFormat = reader.imageFormat();
    const bool png = header.format == "png";
    if (png) {
        if (const std::optional<bitmaps::RowPicture> byRows = bitmaps::pictureReadByRows(data)) {
            header.pixelFormat = byRows->format;
            header.byRows = true;
        }
    }
    if (header.pixelFormat == QImage::Format_Invalid)
        return nullptr;
    header.dotsPerMeter = png ? bitmaps::pngDotsPerMeter(data) : bitmaps::jpegDotsPerMeter(data);
    // A JPEG has none.
    header.alpha = png && bitmaps::pngHasAlpha(data);
    // Bytes borrowed from elsewhere may change or go: the picture keeps its own.
    QByteArray owned = data;
    if (!owned.data_ptr().d_ptr())
        owned.detach();
    return std::shared_ptr<const StoredBitmap>(new StoredBitmap(owned, header));
}

StoredBitmap::StoredBitmap(const QByteArray& data, const Header& header)
    : OnDemandPixels(bitmaps::decodedSizeWithin(header.size, header.pixelFormat)),
      m_data(data),
      m_format(header.format),
      m_fileSize(header.size),
      m_headerFormat(header.pixelFormat),
      m_dotsPerMeter(header.dotsPerMeter),
      m_hasAlpha(header.alpha),
      m_byRows(header.byRows)
{
}

QImage StoredBitmap::make(QSize size) const
{
    ++g_decodes;
    // Drawn as a placeholder: the decoder would hold more than any picture may.
    if (bitmaps::jpegScanBufferBytes(m_data) > double(bitmaps::kLargestTransientBytes))
        return {};
    if (m_byRows)
        return bitmaps::readRowByRow(m_data, size);
    QBuffer buffer;
    buffer.setData(m_data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, m_format);
    QImage image;
    if (!bitmaps::readAtSize(m_data, reader, image, m_fileSize, size, m_headerFormat) || image.isNull())
        return {};
    return image;
}

quint64 StoredBitmap::decodeCount()
{
    return g_decodes.load();
}

} // namespace ql
