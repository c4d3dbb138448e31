// How images are stored inside archives: a bitmap as PNG when it has an alpha
// channel, otherwise as JPEG at quality 0.9; a vector original as its own PDF
// or EPS data. A bitmap still holding the JPEG (or PNG) bytes it was read
// from is stored as those bytes. Reading is Image::fromData.
#pragma once

#include "platform/Error.h"
#include "platform/graphics/Image.h"

#include <QByteArray>

namespace ql {

Result<QByteArray> imageArchiveData(const ImageRep& representation);
// The image's first representation.
Result<QByteArray> imageArchiveData(const Image& image);

} // namespace ql
