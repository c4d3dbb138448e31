// The PNG, TIFF and JPEG readers behind RowReading.h, each handing its rows to a
// sink as it decodes them.
#pragma once

#include "platform/graphics/RowReading.h"

namespace ql::bitmaps {

// Wider than this no picture is read: a header may claim anything, and each
// column costs a little memory of its own.
inline constexpr qint64 kWidestRow = 1'000'000;

inline bool isGrey(QImage::Format format)
{
    return format == QImage::Format_Grayscale8 || format == QImage::Format_Grayscale16;
}

// None unless `data` is a PNG (a TIFF) whose header reads.
std::optional<RowPicture> pngRowPicture(const QByteArray& data);
std::optional<RowPicture> tiffRowPicture(const QByteArray& data);
// Whether `data` is a PNG (a TIFF) laid out in a way the toolkit's reader
// misreads.
bool pngMisreadByToolkit(const QByteArray& data);
bool tiffMisreadByToolkit(const QByteArray& data);

bool readPngRows(const QByteArray& data, RowSink& sink);
bool readTiffRows(const QByteArray& data, RowSink& sink);
bool readJpegRows(const QByteArray& data, RowSink& sink);

} // namespace ql::bitmaps
