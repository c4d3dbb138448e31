#include "platform/archive/ImageArchiveData.h"

namespace ql {

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
    const ImageRep::Encoding wanted = representation.hasAlpha() ? ImageRep::Encoding::Png : ImageRep::Encoding::Jpeg;
    if (representation.encoding() == wanted || representation.encoding() == ImageRep::Encoding::Original)
        return representation.encodedData();
    const Image bitmap(representation);
    return representation.hasAlpha() ? bitmap.encoded(Image::Format::Png) : bitmap.encoded(Image::Format::Jpeg, 0.9);
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
