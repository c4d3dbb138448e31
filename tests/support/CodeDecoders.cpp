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
    return preparedForDecoding(image, 0).convertToFormat(QImage::Format_Grayscale8);
}

} // namespace testsupport
