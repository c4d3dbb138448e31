// How images are stored inside archives: a bitmap as PNG when it has an alpha
// channel, otherwise as JPEG at quality 0.9 (as PNG where a side passes what
// a JPEG holds, as TIFF where it passes what PNG readers take); a vector
// original as its own PDF or EPS data. A bitmap still holding the JPEG (or
// PNG) bytes it was read from is stored as those bytes, and bytes read from a
// document go back exactly as they were. Reading is Image::fromStoredData.
#pragma once

#include "platform/Error.h"
#include "platform/graphics/Image.h"

#include <QByteArray>
#include <optional>

namespace ql {

// An error naming the picture's size when it cannot be encoded.
Result<QByteArray> imageArchiveData(const ImageRep& representation);
// The bytes a document stored for the image, while it still shows them.
std::optional<QByteArray> storedImageData(const Image& image);
// The image's first representation.
Result<QByteArray> imageArchiveData(const Image& image);

} // namespace ql
