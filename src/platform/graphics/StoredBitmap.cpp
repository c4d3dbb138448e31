#include "platform/graphics/StoredBitmap.h"

#include "platform/graphics/BitmapDecoding.h"
#include "platform/graphics/RowReading.h"

#include <QBuffer>
#include <QImageReader>
#include <atomic>
#include <list>
#include <unordered_map>

namespace ql {

namespace {
std::atomic<quint64> g_decodes {0};
std::atomic<quint64> g_pictures {0};
}

// The decoded pixels kept, least recently used first, within kKeptBytes.
class DecodedPictures {
public:
    static DecodedPictures& shared()
    {
        // Never destroyed: pictures held by other statics may outlive it.
        static DecodedPictures* const pictures = new DecodedPictures;
        return *pictures;
    }

    void used(const StoredBitmap* picture, qint64 bytes)
    {
        const std::lock_guard lock(m_mutex);
        removeLocked(picture);
        m_order.push_back(picture);
        m_entries.emplace(picture, Entry {std::prev(m_order.end()), bytes});
        m_total += bytes;
        // The picture just used stays, even alone past the budget.
        while (m_total > StoredBitmap::kKeptBytes && m_order.front() != picture) {
            const StoredBitmap* oldest = m_order.front();
            removeLocked(oldest);
            oldest->forget();
        }
    }

    void gone(const StoredBitmap* picture)
    {
        const std::lock_guard lock(m_mutex);
        removeLocked(picture);
    }

private:
    struct Entry {
        std::list<const StoredBitmap*>::iterator place;
        qint64 bytes = 0;
    };
    void removeLocked(const StoredBitmap* picture)
    {
        if (auto found = m_entries.find(picture); found != m_entries.end()) {
            m_total -= found->second.bytes;
            m_order.erase(found->second.place);
            m_entries.erase(found);
        }
    }

    std::mutex m_mutex;
    std::list<const StoredBitmap*> m_order;
    std::unordered_map<const StoredBitmap*, Entry> m_entries;
    qint64 m_total = 0;
};

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
    : m_data(data),
      m_format(header.format),
      m_fileSize(header.size),
      m_decodedSize(bitmaps::decodedSizeWithin(header.size, header.pixelFormat)),
      m_headerFormat(header.pixelFormat),
      m_dotsPerMeter(header.dotsPerMeter),
      m_hasAlpha(header.alpha),
      m_byRows(header.byRows),
      m_serial(++g_pictures)
{
}

StoredBitmap::~StoredBitmap()
{
    DecodedPictures::shared().gone(this);
}

QImage StoredBitmap::pixels(QSize wanted) const
{
    QSize size = m_decodedSize;
    if (wanted.isValid() && !wanted.isEmpty())
        size = QSize(std::min(size.width(), wanted.width()), std::min(size.height(), wanted.height()));
    QImage image;
    qint64 keptBytes = 0;
    {
        const std::lock_guard lock(m_mutex);
        if (m_decodes == Decodes::No)
            return {};
        if (!m_kept.isNull() && m_kept.width() >= size.width() && m_kept.height() >= size.height())
            image = m_kept;
        keptBytes = m_kept.sizeInBytes();
    }
    if (image.isNull()) {
        image = decode(size);
        const std::lock_guard lock(m_mutex);
        m_decodes = image.isNull() ? Decodes::No : Decodes::Yes;
        if (image.isNull())
            return {};
        if (m_kept.isNull() || m_kept.width() < image.width() || m_kept.height() < image.height())
            m_kept = image;
        keptBytes = m_kept.sizeInBytes();
    }
    // Outside this picture's lock: the budget may make others forget theirs.
    DecodedPictures::shared().used(this, keptBytes);
    return image;
}

bool StoredBitmap::decodes() const
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_decodes != Decodes::Unknown)
            return m_decodes == Decodes::Yes;
    }
    // An eighth is what a JPEG decodes fastest, yet it reads all the data.
    const QSize small(std::max(1, m_decodedSize.width() / 8), std::max(1, m_decodedSize.height() / 8));
    return !pixels(small).isNull();
}

QImage StoredBitmap::decode(QSize size) const
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

void StoredBitmap::forget() const
{
    // Safe under the budget's lock: no picture waits for it while holding its own.
    const std::lock_guard lock(m_mutex);
    m_kept = QImage();
}

quint64 StoredBitmap::decodeCount()
{
    return g_decodes.load();
}

} // namespace ql
