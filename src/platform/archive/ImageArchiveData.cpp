#include "platform/archive/ImageArchiveData.h"

#include "platform/graphics/RowWriting.h"

#include <QLocale>
#include <QObject>

namespace ql {

namespace {

// PNG readers read no more rows or columns than this unless told to.
constexpr int kLargestPngSide = 1'000'000;

// PNG with alpha, JPEG without; but where a JPEG cannot hold the picture,
// PNG, and where PNG readers would not take it back, TIFF: lossless, and
// never left out.
Image::Format storedFormat(const ImageRep& representation)
{
    const QSize pixels = representation.pixelSize();
    const int side = std::max(pixels.width(), pixels.height());
    if (side > kLargestPngSide)
        return Image::Format::Tiff;
    return representation.hasAlpha() || side > bitmaps::kLargestJpegSide ? Image::Format::Png : Image::Format::Jpeg;
}

Error unstored(QSize pixels, const Error& why)
{
    const QLocale locale;
    return Error {why.domain, why.code,
                  QObject::tr("A picture of %1 × %2 pixels could not be stored. %3")
                      .arg(locale.toString(pixels.width()), locale.toString(pixels.height()), why.message)};
}

} // namespace

Result<QByteArray> imageArchiveData(const ImageRep& representation)
{
    if (representation.isVector())
        return representation.data();
    if (representation.isDrawn()) {
        // What it shows now, at one pixel a point.
        const QSizeF size = representation.size();
        const QImage bitmap = representation.rendered(QSize(qMax(1, qRound(size.width())), qMax(1, qRound(size.height()))));
        return Image(bitmap).encoded(Image::Format::Png);
    }
    // Bytes a document stored go back as they were, whatever their format and
    // whether or not they decoded; bytes read from a file in the format the
    // rule picks go back unchanged too: a photo is not recompressed, and loses
    // nothing, at every save.
    const Image::Format format = storedFormat(representation);
    const ImageRep::Encoding encoding = representation.encoding();
    if (encoding == ImageRep::Encoding::Original || (encoding == ImageRep::Encoding::Png && format == Image::Format::Png)
        || (encoding == ImageRep::Encoding::Jpeg && format == Image::Format::Jpeg))
        return representation.encodedData();
    Result<QByteArray> data = Image(representation).encoded(format, 0.9);
    if (!data)
        return unstored(representation.pixelSize(), data.error());
    return data;
}

std::optional<QByteArray> storedImageData(const Image& image)
{
    const ImageRep own = image.firstRepresentation();
    if (own.encoding() != ImageRep::Encoding::Original)
        return std::nullopt;
    return own.encodedData();
}

Result<QByteArray> imageArchiveData(const Image& image)
{
    if (image.isNull())
        return Error {QStringLiteral("Image"), 1, QStringLiteral("There is no image to store.")};
    return imageArchiveData(image.firstRepresentation());
}

} // namespace ql
