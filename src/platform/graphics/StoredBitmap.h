// A JPEG or PNG picture a document stored, known from its header until it is
// drawn: opening a document reads the size, resolution and alpha of each
// picture and decodes none. Pixels are decoded when first asked for, at the
// size asked where that is smaller than the picture, and kept while the
// process-wide budget of decoded pictures has room (the least recently used
// go first); drawing them again later decodes them again.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <memory>
#include <mutex>
#include <optional>

namespace ql {

class StoredBitmap {
public:
    // Decoded pixels kept across all pictures, in bytes.
    static constexpr qint64 kKeptBytes = qint64(128) << 20;

    // Null unless `data` is a JPEG or PNG whose header reads.
    static std::shared_ptr<const StoredBitmap> fromHeader(const QByteArray& data);
    ~StoredBitmap();
    StoredBitmap(const StoredBitmap&) = delete;
    StoredBitmap& operator=(const StoredBitmap&) = delete;

    const QByteArray& data() const { return m_data; }
    // The pixels of the whole picture decoded: those of the file, or fewer
    // where they would take more memory than one picture may.
    QSize pixelSize() const { return m_decodedSize; }
    QSize fileSize() const { return m_fileSize; }
    // As the header states it; none when it states none.
    std::optional<QPoint> dotsPerMeter() const { return m_dotsPerMeter; }
    bool hasAlpha() const { return m_hasAlpha; }

    // The picture with at least `wanted` pixels where it has more, all of
    // them otherwise (or for an empty size); null when the data does not
    // decode.
    QImage pixels(QSize wanted = {}) const;
    // Whether the data decodes: found out once, by decoding it small unless
    // it was decoded before.
    bool decodes() const;

    // Decodes made by all stored pictures since the process started, for
    // tests and benchmarks.
    static quint64 decodeCount();
    // Numbers this picture apart from every other stored picture the
    // process makes, whichever of them are gone.
    quint64 serial() const { return m_serial; }

private:
    struct Header;
    explicit StoredBitmap(const QByteArray& data, const Header& header);
    QImage decode(QSize size) const;
    friend class DecodedPictures;
    // The kept pixels go, unless they are being read.
    void forget() const;

    const QByteArray m_data;
    const QByteArray m_format;
    const QSize m_fileSize;
    const QSize m_decodedSize;
    const QImage::Format m_headerFormat;
    const std::optional<QPoint> m_dotsPerMeter;
    const bool m_hasAlpha;
    // Read by rows (RowReading.h) rather than by the toolkit's reader.
    const bool m_byRows;
    const quint64 m_serial;

    enum class Decodes { Unknown, Yes, No };
    mutable std::mutex m_mutex;
    mutable QImage m_kept;
    mutable Decodes m_decodes = Decodes::Unknown;
};

} // namespace ql
