#include "platform/graphics/ImageRep.h"

namespace ql {

namespace {

// Qt gives images without a stored resolution its own default; those and
// images with none are taken at 72 dpi, as the platform does.
double dotsPerPoint(int dotsPerMeter)
{
    static const int qtDefault = QImage(1, 1, QImage::Format_ARGB32).dotsPerMeterX();
    if (dotsPerMeter <= 0 || dotsPerMeter == qtDefault)
        return 1.0;
    return dotsPerMeter * 0.0254 / 72.0;
}

} // namespace

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
