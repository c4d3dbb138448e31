#include "CodeDecoders.h"

#include <QPainter>

namespace testsupport {

QImage preparedForDecoding(const QImage& image, int border)
{
    QImage out(image.width() + 2 * border, image.height() + 2 * border, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(border, border, image);
    painter.end();
    return out;
}

QImage grayscaleForDecoding(const QImage& image)
{
    if (image.format() == QImage::Format_Grayscale8)
        return image;
    const QImage opaque = image.hasAlphaChannel() ? preparedForDecoding(image, 0) : image.convertToFormat(QImage::Format_RGB32);
    // A plain luminance loop: Qt's own conversion is several times slower on
    // the large images that codes rendered at print sizes make.
    QImage gray(opaque.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < opaque.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(opaque.constScanLine(y));
        uchar* out = gray.scanLine(y);
        for (int x = 0; x < opaque.width(); ++x)
            out[x] = static_cast<uchar>(qGray(in[x]));
    }
    return gray;
}

} // namespace testsupport
