#include "platform/archive/ImageArchiveData.h"

namespace ql {

Result<QByteArray> imageArchiveData(const ImageRep& representation)
{
    if (representation.isVector())
        return representation.data();
    const Image bitmap(representation);
    return representation.hasAlpha() ? bitmap.encoded(Image::Format::Png) : bitmap.encoded(Image::Format::Jpeg, 0.9);
}

Result<QByteArray> imageArchiveData(const Image& image)
{
    if (image.isNull())
        return Error {QStringLiteral("Image"), 1, QStringLiteral("There is no image to store.")};
    return imageArchiveData(image.firstRepresentation());
}

} // namespace ql
