// One representation of an image: a bitmap, the PDF or EPS data of a
// vector original, or a drawing made on demand by a handler each time the
// image is drawn. Vector data is kept as it came; rendering it is left to
// whoever draws it.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <functional>
#include <memory>

class QPainter;

namespace ql {

class ComputedBitmap;
class OnDemandPixels;
class StoredBitmap;

class ImageRep {
public:
    enum class Kind { Bitmap, Pdf, Eps, Drawn };
    // Draws the representation into `destination` (in the painter's
    // coordinates), as it looks at the moment it is called.
    using DrawingHandler = std::function<void(QPainter& painter, const QRectF& destination)>;
    // The compressed form a bitmap was decoded from, if any. `Original`
    // bytes came from a document, in whatever format, and go back into it
    // exactly as they were.
    enum class Encoding { None, Jpeg, Png, Original };

    ImageRep() = default;
    // A bitmap whose size in points follows from its resolution (72 dpi when
    // it has none), unless given.
    static ImageRep bitmap(const QImage& image, QSizeF pointSize = {});
    static ImageRep pdf(const QByteArray& data, QSizeF pointSize) { return vector(Kind::Pdf, data, pointSize); }
    static ImageRep eps(const QByteArray& data, QSizeF pointSize) { return vector(Kind::Eps, data, pointSize); }
    // Nothing is cached: the handler runs at every draw.
    static ImageRep drawn(QSizeF pointSize, DrawingHandler handler);
    // A picture whose bytes could not be decoded: it keeps them, so that
    // saving writes them back, and draws as a placeholder. The size is what
    // the data's header says, or empty.
    static ImageRep undecodable(const QByteArray& data, QSizeF pointSize);
    // A bitmap a document stored, decoded when first drawn (StoredBitmap);
    // its bytes go back as they came.
    static ImageRep stored(std::shared_ptr<const StoredBitmap> picture);
    // A bitmap computed when drawn, at the size drawn (ComputedBitmap); it
    // has no bytes of its own.
    static ImageRep computed(std::shared_ptr<const ComputedBitmap> picture, QSizeF pointSize);

    bool isNull() const;
    Kind kind() const { return m_kind; }
    bool isVector() const { return m_kind == Kind::Pdf || m_kind == Kind::Eps; }
    bool isDrawn() const { return m_kind == Kind::Drawn; }
    // For a stored bitmap this decodes it once, small, to find out.
    bool isUndecodable() const;
    // The same, nothing decoded to find out: false for a stored bitmap that
    // has not been decoded yet.
    bool isKnownUndecodable() const;
    // Whether the pixels are decoded (or computed) only when asked for.
    bool isStored() const { return bool(m_onDemand); }
    // The computation behind a computed bitmap; null for the others.
    const std::shared_ptr<const ComputedBitmap>& computed() const { return m_computed; }
    // Runs the handler of a drawn representation; nothing for the others.
    void draw(QPainter& painter, const QRectF& destination) const;
    // A drawn representation drawn into a transparent bitmap of `pixels`
    // (premultiplied ARGB); null for the others.
    QImage rendered(QSize pixels) const;

    // Size in points, and in pixels (0 × 0 for vector data).
    QSizeF size() const { return m_size; }
    void setSize(QSizeF size) { m_size = size; }
    QSize pixelSize() const;
    // A drawing may leave parts clear, so it counts as having alpha.
    bool hasAlpha() const;

    // All the bitmap's pixels; a stored one decodes them if none are kept.
    QImage image() const;
    // At least `wanted` pixels where the bitmap has more, for drawing
    // smaller: a stored bitmap is decoded no larger than that.
    QImage imageForPixels(QSize wanted) const;
    // The most pixels a stored or computed bitmap was asked for so far (as
    // drawn); empty for the others, and before any were.
    QSize largestPixelsAsked() const;
    // Names the pixels without reading them, as QImage::cacheKey() names a
    // bitmap's: the same for every copy of this representation, and never
    // for other pixels while the process runs (stored pictures are numbered
    // apart from decoded ones). Null for a representation without pixels.
    struct PixelsKey {
        bool stored = false;
        qint64 key = 0;
        bool isNull() const { return key == 0; }
        bool operator==(const PixelsKey&) const = default;
    };
    PixelsKey pixelsKey() const;
    // The PDF or EPS data; empty for bitmaps.
    const QByteArray& data() const { return m_data; }

    // The JPEG or PNG bytes this bitmap was decoded from. Representations
    // are values and edits make new ones, so the bytes always match the
    // pixels; storing them again loses nothing more.
    Encoding encoding() const { return m_encoding; }
    const QByteArray& encodedData() const { return m_encodedData; }
    void setEncodedData(const QByteArray& data, Encoding encoding);

    bool operator==(const ImageRep& other) const;

    // Pixels a point for a stated resolution (0 for none): 72 dpi for none
    // and for the toolkit's default, else the resolution within 10 to 9600 dpi.
    static double dotsPerPoint(int dotsPerMeter);

private:
    static ImageRep vector(Kind kind, const QByteArray& data, QSizeF pointSize);

    Kind m_kind = Kind::Bitmap;
    QSizeF m_size;
    QImage m_image;
    // The stored or computed bitmap, whichever this is.
    std::shared_ptr<const OnDemandPixels> m_onDemand;
    std::shared_ptr<const ComputedBitmap> m_computed;
    QByteArray m_data;
    Encoding m_encoding = Encoding::None;
    QByteArray m_encodedData;
    // Shared, so that copies of the representation compare equal.
    std::shared_ptr<const DrawingHandler> m_handler;
};

} // namespace ql
