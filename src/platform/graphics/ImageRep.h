// One representation of an image: a bitmap, or the PDF or EPS data of a
// vector original. Vector data is kept as it came; rendering it is left to
// whoever draws it.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSizeF>

namespace ql {

class ImageRep {
public:
    enum class Kind { Bitmap, Pdf, Eps };
    // The compressed form a bitmap was decoded from, if any.
    enum class Encoding { None, Jpeg, Png };

    ImageRep() = default;
    // A bitmap whose size in points follows from its resolution (72 dpi when
    // it has none), unless given.
    static ImageRep bitmap(const QImage& image, QSizeF pointSize = {});
    static ImageRep pdf(const QByteArray& data, QSizeF pointSize) { return vector(Kind::Pdf, data, pointSize); }
    static ImageRep eps(const QByteArray& data, QSizeF pointSize) { return vector(Kind::Eps, data, pointSize); }

    bool isNull() const { return m_kind == Kind::Bitmap ? m_image.isNull() : m_data.isEmpty(); }
    Kind kind() const { return m_kind; }
    bool isVector() const { return m_kind != Kind::Bitmap; }

    // Size in points, and in pixels (0 × 0 for vector data).
    QSizeF size() const { return m_size; }
    void setSize(QSizeF size) { m_size = size; }
    QSize pixelSize() const { return m_image.size(); }
    bool hasAlpha() const { return m_image.hasAlphaChannel(); }

    const QImage& image() const { return m_image; }
    // The PDF or EPS data; empty for bitmaps.
    const QByteArray& data() const { return m_data; }

    // The JPEG or PNG bytes this bitmap was decoded from. Representations
    // are values and edits make new ones, so the bytes always match the
    // pixels; storing them again loses nothing more.
    Encoding encoding() const { return m_encoding; }
    const QByteArray& encodedData() const { return m_encodedData; }
    void setEncodedData(const QByteArray& data, Encoding encoding);

    bool operator==(const ImageRep&) const = default;

private:
    static ImageRep vector(Kind kind, const QByteArray& data, QSizeF pointSize);

    Kind m_kind = Kind::Bitmap;
    QSizeF m_size;
    QImage m_image;
    QByteArray m_data;
    Encoding m_encoding = Encoding::None;
    QByteArray m_encodedData;
};

} // namespace ql
