// Pictures mirrored at their full resolution however large: read, mirrored
// and encoded a band of rows at a time, so that a flip never keeps fewer
// pixels than the file had.
#pragma once

#include "platform/graphics/BitmapDecoding.h"

#include <QByteArray>
#include <optional>

namespace ql::bitmaps {

// How a mirrored picture is stored: as a document stores any changed
// picture (JPEG at quality 0.9 when opaque, PNG with alpha, or where a JPEG
// cannot state its resolution), or always lossless (PNG), as a mask is.
enum class MirroredStorage { AsChanged, Lossless };

// The PNG, TIFF or JPEG picture in `data` mirrored left to right, top to
// bottom or both, every pixel of it, holding no more than `bandBytes` of its
// rows at once; its resolution stated so that it reads back at the size in
// points the file gives. None when the picture does not read to its end, or
// would be read more than eight times over (its rows past eight bands).
std::optional<QByteArray> mirroredPicture(const QByteArray& data, bool leftToRight, bool topToBottom,
                                          MirroredStorage storage, qint64 bandBytes = kLargestDecodedBytes);

} // namespace ql::bitmaps
