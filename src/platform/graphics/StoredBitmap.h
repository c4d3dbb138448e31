// A JPEG or PNG picture a document stored, known from its header until it is
// drawn: opening a document reads the size, resolution and alpha of each
// picture and decodes none. Pixels are decoded when first asked for, at the
// size asked where that is smaller than the picture (OnDemandPixels).
#pragma once

#include "platform/graphics/OnDemandPixels.h"

#include <QByteArray>
#include <QPoint>
#include <memory>
#include <optional>

namespace ql {

class StoredBitmap final : public OnDemandPixels {
public:
    // Null unless `data` is a JPEG or PNG whose header reads.
    static std::shared_ptr<const StoredBitmap> fromHeader(const QByteArray& data);

    const QByteArray& data() const { return m_data; }
    // pixelSize() is the whole picture decoded: the file's pixels, or fewer
    // where they would take more memory than one picture may.
    QSize fileSize() const { return m_fileSize; }
    // As the header states it; none when it states none.
    std::optional<QPoint> dotsPerMeter() const { return m_dotsPerMeter; }
    bool hasAlpha() const override { return m_hasAlpha; }

    // Decodes made by all stored pictures since the process started, for
    // tests and benchmarks.
    static quint64 decodeCount();

protected:
    QImage make(QSize size) const override;

private:
    struct Header;
    explicit StoredBitmap(const QByteArray& data, const Header& header);

    const QByteArray m_data;
    const QByteArray m_format;
    const QSize m_fileSize;
    const QImage::Format m_headerFormat;
    const std::optional<QPoint> m_dotsPerMeter;
    const bool m_hasAlpha;
    // Read by rows (RowReading.h) rather than by the toolkit's reader.
    const bool m_byRows;
};

} // namespace ql
