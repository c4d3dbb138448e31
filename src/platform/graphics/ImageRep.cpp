#include "platform/graphics/ImageRep.h"

#include "platform/graphics/ComputedBitmap.h"
#include "platform/graphics/StoredBitmap.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace ql {

// Qt gives images without a stored resolution its own default; those and
// images with none are taken at 72 dpi, as the platform does.
double ImageRep::dotsPerPoint(int dotsPerMeter)
{
    static const int qtDefault = QImage(1, 1, QImage::Format_ARGB32).dotsPerMeterX();
    // JPEG keeps whole dots per inch, so the default comes back a dot
    // short: a picture must not shrink by a quarter at its first save.
    if (dotsPerMeter <= 0 || std::abs(dotsPerMeter - qtDefault) <= 1)
        return 1.0;
    // A file may declare any density: beyond what scanners make it would
    // turn a picture into a speck (or a giant) of the page.
    constexpr double kFewestDotsPerInch = 10.0;
    constexpr double kMostDotsPerInch = 9600.0;
    return std::clamp(dotsPerMeter * 0.0254, kFewestDotsPerInch, kMostDotsPerInch) / 72.0;
}

ImageRep ImageRep::bitmap(const QImage& image, QSizeF pointSize)
{
    ImageRep rep;
    rep.m_kind = Kind::Bitmap;
    rep.m_image = image;
    if (pointSize.isValid() && !pointSize.isEmpty()) {
        rep.m_size = pointSize;
    } else {
        rep.m_size = QSizeF(image.width() / dotsPerPoint(image.dotsPerMeterX()),
                            image.height() / dotsPerPoint(image.dotsPerMeterY()));
    }
    return rep;
}

ImageRep ImageRep::drawn(QSizeF pointSize, DrawingHandler handler)
{
    ImageRep rep;
    rep.m_kind = Kind::Drawn;
    rep.m_size = pointSize;
    if (handler)
        rep.m_handler = std::make_shared<const DrawingHandler>(std::move(handler));
    return rep;
}

ImageRep ImageRep::undecodable(const QByteArray& data, QSizeF pointSize)
{
    ImageRep rep;
    rep.m_kind = Kind::Bitmap;
    rep.m_size = pointSize.isValid() ? pointSize : QSizeF();
    rep.m_encoding = data.isEmpty() ? Encoding::None : Encoding::Original;
    rep.m_encodedData = data;
    return rep;
}

ImageRep ImageRep::stored(std::shared_ptr<const StoredBitmap> picture)
{
    ImageRep rep;
    if (!picture)
        return rep;
    rep.m_kind = Kind::Bitmap;
    // The size the decoded picture would give, from the file's own pixels
    // and resolution.
    const std::optional<QPoint> dots = picture->dotsPerMeter();
    rep.m_size = QSizeF(picture->fileSize().width() / dotsPerPoint(dots ? dots->x() : 0),
                        picture->fileSize().height() / dotsPerPoint(dots ? dots->y() : 0));
    rep.m_encoding = Encoding::Original;
    rep.m_encodedData = picture->data();
    rep.m_onDemand = std::move(picture);
    return rep;
}

ImageRep ImageRep::computed(std::shared_ptr<const ComputedBitmap> picture, QSizeF pointSize)
{
    ImageRep rep;
    if (!picture)
        return rep;
    rep.m_kind = Kind::Bitmap;
    rep.m_size = pointSize;
    rep.m_onDemand = picture;
    rep.m_computed = std::move(picture);
    return rep;
}

bool ImageRep::isUndecodable() const
{
    return m_kind == Kind::Bitmap && m_image.isNull() && !m_encodedData.isEmpty()
        && (!m_onDemand || !m_onDemand->decodes());
}

bool ImageRep::isKnownUndecodable() const
{
    return m_kind == Kind::Bitmap && m_image.isNull() && !m_encodedData.isEmpty()
        && (!m_onDemand || m_onDemand->failedToDecode());
}

QSize ImageRep::pixelSize() const
{
    return m_onDemand ? m_onDemand->pixelSize() : m_image.size();
}

bool ImageRep::hasAlpha() const
{
    return m_kind == Kind::Drawn || (m_onDemand ? m_onDemand->hasAlpha() : m_image.hasAlphaChannel());
}

QImage ImageRep::image() const
{
    return m_onDemand ? m_onDemand->pixels() : m_image;
}

QImage ImageRep::imageForPixels(QSize wanted) const
{
    return m_onDemand ? m_onDemand->pixels(wanted) : m_image;
}

QSize ImageRep::largestPixelsAsked() const
{
    return m_onDemand ? m_onDemand->largestAsked() : QSize();
}

ImageRep::PixelsKey ImageRep::pixelsKey() const
{
    if (m_onDemand)
        return {true, qint64(m_onDemand->serial())};
    return {false, m_image.isNull() ? 0 : m_image.cacheKey()};
}

bool ImageRep::operator==(const ImageRep& other) const
{
    // Stored bitmaps are their bytes, compared below: their pixels need no
    // decoding to tell. A computed one is its computation.
    const bool samePixels = m_computed || other.m_computed ? m_computed == other.m_computed
        : m_onDemand || other.m_onDemand                   ? bool(m_onDemand) == bool(other.m_onDemand)
                                                           : m_image == other.m_image;
    return samePixels && m_kind == other.m_kind && m_size == other.m_size && m_data == other.m_data
        && m_encoding == other.m_encoding && m_encodedData == other.m_encodedData && m_handler == other.m_handler;
}

bool ImageRep::isNull() const
{
    switch (m_kind) {
    case Kind::Bitmap: return m_image.isNull() && m_encodedData.isEmpty() && !m_computed;
    case Kind::Drawn: return !m_handler;
    default: return m_data.isEmpty();
    }
}

void ImageRep::draw(QPainter& painter, const QRectF& destination) const
{
    if (m_handler)
        (*m_handler)(painter, destination);
}

QImage ImageRep::rendered(QSize pixels) const
{
    if (!m_handler || pixels.isEmpty() || m_size.isEmpty())
        return {};
    QImage bitmap(pixels, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull())
        return {};
    bitmap.fill(Qt::transparent);
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(pixels.width() / m_size.width(), pixels.height() / m_size.height());
    draw(painter, QRectF(QPointF(0, 0), m_size));
    return bitmap;
}

void ImageRep::setEncodedData(const QByteArray& data, Encoding encoding)
{
    const bool kept = m_kind == Kind::Bitmap && !data.isEmpty() && encoding != Encoding::None;
    m_encoding = kept ? encoding : Encoding::None;
    m_encodedData = kept ? data : QByteArray();
}

ImageRep ImageRep::vector(Kind kind, const QByteArray& data, QSizeF pointSize)
{
    ImageRep rep;
    rep.m_kind = kind;
    rep.m_data = data;
    rep.m_size = pointSize;
    return rep;
}

} // namespace ql
