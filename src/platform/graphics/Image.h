// An image as documents hold it: a size in points and one or more
// representations (bitmaps, PDF or EPS originals). The first representation
// is the image's own: it decides whether the image is a vector original, has
// alpha, and what is archived.
#pragma once

#include "platform/Error.h"
#include "platform/graphics/ImageRep.h"

#include <QList>
#include <QMetaType>

namespace ql {

class Image {
public:
    enum class Format { Png, Jpeg, Tiff };

    // Files larger than this are refused unread: no picture worth placing
    // is, and what is placed is kept whole in the document.
    static constexpr qint64 kLargestFileBytes = qint64(512) << 20;

    Image() = default;
    explicit Image(const QImage& bitmap);
    explicit Image(const ImageRep& representation);

    // PNG, JPEG, TIFF, GIF and BMP decode to a bitmap; PDF and EPS data are
    // kept as they are, sized from their first page or bounding box. A
    // bitmap larger than memory allows is decoded scaled down, keeping its
    // size in points.
    static Result<Image> fromData(const QByteArray& data);
    // The file's error when it cannot be read (FileReading.h), larger ones
    // included.
    static Result<Image> fromFile(const QString& path);
    // The picture a document stored: read as fromData() does, but the bytes
    // are kept whatever the decoding gives, and saving writes them back
    // unchanged. A JPEG or PNG is known from its header until it is drawn
    // (ImageRep::stored). Data that does not decode becomes an undecodable
    // picture, not an error. Null only for empty data.
    static Image fromStoredData(const QByteArray& data);
    // A bitmap decoded no larger than `largest` pixels, keeping its shape,
    // for showing small; within the toolkit's usual bound of memory while
    // decoding. Data that claims more pixels than this is no thumbnail and
    // is refused undecoded.
    static constexpr qint64 kLargestThumbnailPixels = qint64(4096) * 4096;
    static Result<Image> thumbnailFromData(const QByteArray& data, QSize largest);

    // Whether fromData() or fromFile() failed on data of a picture format it
    // reads that cannot be decoded (damaged, or ending before the picture
    // its header describes), rather than on data that is no picture.
    static bool isUndecodable(const Error& error);

    bool isNull() const { return m_reps.isEmpty(); }
    // Whether the image's own representation could not be decoded.
    bool isUndecodable() const { return !m_reps.isEmpty() && m_reps.first().isUndecodable(); }

    // Size in points: the one set, else the first representation's.
    QSizeF size() const;
    void setSize(QSizeF size) { m_size = size; }
    // Pixels of the first representation (0 × 0 for vector originals).
    QSize pixelSize() const;

    const QList<ImageRep>& representations() const { return m_reps; }
    void addRepresentation(const ImageRep& rep) { m_reps.append(rep); }
    void removeRepresentation(qsizetype index) { m_reps.removeAt(index); }
    ImageRep firstRepresentation() const { return m_reps.value(0); }

    bool isVector() const;
    bool hasAlpha() const;

    // The first bitmap among the representations; null when there is none.
    QImage bitmap() const;
    // Encodes bitmap(); quality from 0 to 1 applies to JPEG only.
    Result<QByteArray> encoded(Format format, double quality = 0.9) const;

    bool operator==(const Image&) const = default;

private:
    static Image decodeStored(const QByteArray& data);

    QSizeF m_size;
    QList<ImageRep> m_reps;
};

} // namespace ql

Q_DECLARE_METATYPE(ql::Image)
