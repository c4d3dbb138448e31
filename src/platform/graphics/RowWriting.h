// JPEG and PNG files written a row at a time, so that a picture of any size
// is encoded while holding one row of it.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <functional>
#include <optional>

namespace ql::bitmaps {

// A JPEG file's stated density: 0 none (an aspect ratio of 1), 1 dots per
// inch, 2 dots per centimetre.
struct JpegDensity {
    int unit = 0;
    int x = 1;
    int y = 1;
};

// The density that a JPEG states so that its readers take exactly
// `dotsPerMeter` from it (as the JFIF density is read, in whole dots per
// inch or per centimetre); none when no density reads back as that.
std::optional<JpegDensity> jpegDensityFor(std::optional<QPoint> dotsPerMeter);

// The `row` of each y in turn, top down: `size.width()` pixels in `format`
// (Format_Grayscale8 or Format_RGB888 for JPEG; those, Format_Grayscale16
// and Format_RGBA8888 for PNG); null when it cannot be had, which fails the
// whole file.
using RowSource = std::function<const uchar*(int y)>;

// The most pixels a JPEG's header holds on a side.
inline constexpr int kLargestJpegSide = 65500;

// At `quality` (0 to 100); none past kLargestJpegSide.
std::optional<QByteArray> jpegFromRows(QSize size, QImage::Format format, int quality, JpegDensity density,
                                       const RowSource& row);
// Stating `dotsPerMeter` where given.
std::optional<QByteArray> pngFromRows(QSize size, QImage::Format format, std::optional<QPoint> dotsPerMeter,
                                      const RowSource& row);

} // namespace ql::bitmaps
