// Pictures mirrored at their full resolution however large: read once into
// a temporary file of rows (or, where none can be written, a band of rows
// at a time), then mirrored and encoded a row at a time, so that a flip
// never keeps fewer pixels than the file had.
#pragma once

#include "platform/graphics/BitmapDecoding.h"

#include <QByteArray>
#include <functional>
#include <optional>

namespace ql::bitmaps {

// How a mirrored picture is stored: as a document stores any changed
// picture (JPEG at quality 0.9 when opaque, PNG with alpha, or where a JPEG
// cannot state its resolution), or always lossless (PNG), as a mask is.
enum class MirroredStorage { AsChanged, Lossless };

// How far a mirroring has come, from 0 to 1, told now and then; false ends
// it with no picture.
using MirroringProgress = std::function<bool(double done)>;

// The PNG, TIFF or JPEG picture in `data` mirrored left to right, top to
// bottom or both, every pixel of it; its resolution stated so that it reads
// back at the size in points the file gives. Its rows are read once into a
// temporary file (in the system's temporary folder, removed when done),
// holding a few of them in memory; where that file cannot be written, a
// band of no more than `bandBytes` of rows at a time, the file read again
// for each band. None when the picture does not read to its end, when
// `progress` ends it, or when its rows would pass eight such bands.
std::optional<QByteArray> mirroredPicture(const QByteArray& data, bool leftToRight, bool topToBottom,
                                          MirroredStorage storage, qint64 bandBytes = kLargestDecodedBytes,
                                          const MirroringProgress& progress = {});

} // namespace ql::bitmaps
