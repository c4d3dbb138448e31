// Pictures and pixel measures for image-content tests: a photo-like picture
// (smooth gradients, texture, hard edges), a red disc on transparency, and
// the statistics the adjustment checks compare.
#pragma once

#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <cmath>

namespace imagetest {

inline QImage photo(int width = 160, int height = 120)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(20));
            line[x] = qRgb(40 + x * 150 / width + noise, 60 + y * 120 / height + noise, 90 + ((x / 20 + y / 20) % 2) * 80);
        }
    }
    QPainter painter(&image);
    painter.fillRect(QRect(width / 4, height / 4, width / 4, height / 2), QColor(230, 200, 30));
    return image;
}

// A red disc, edges antialiased, on a transparent ground.
inline QImage redDisc(int side = 80)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 0, 0));
    painter.drawEllipse(QRectF(side * 0.2, side * 0.2, side * 0.6, side * 0.6));
    return image;
}

inline QByteArray encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

// A one-page PDF of `size` points filled with one colour.
inline QByteArray pdfData(QSizeF size = QSizeF(120, 90), const QColor& colour = Qt::darkGreen)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(size, QPageSize::Point));
    QPainter painter(&writer);
    painter.fillRect(QRectF(0, 0, 10000, 10000), colour);
    painter.end();
    return pdf;
}

// Straight (not premultiplied) RGBA of whatever a view shows.
inline QImage pixelsOf(const ql::Image& image)
{
    return image.bitmap().convertToFormat(QImage::Format_RGBA8888);
}

inline double lumaAt(const QImage& rgba, int x, int y)
{
    const uchar* p = rgba.constScanLine(y) + x * 4;
    return 0.2125 * p[0] + 0.7154 * p[1] + 0.0721 * p[2];
}

struct Stats {
    double meanLuma = 0;
    double lumaSpread = 0; // standard deviation
    double mean[4] = {};
};

inline Stats statsOf(const QImage& rgba)
{
    Stats s;
    const double n = double(rgba.width()) * rgba.height();
    double sumSquares = 0;
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar* p = rgba.constScanLine(y);
        for (int x = 0; x < rgba.width(); ++x, p += 4) {
            const double l = 0.2125 * p[0] + 0.7154 * p[1] + 0.0721 * p[2];
            s.meanLuma += l;
            sumSquares += l * l;
            for (int c = 0; c < 4; ++c)
                s.mean[c] += p[c];
        }
    }
    s.meanLuma /= n;
    for (double& m : s.mean)
        m /= n;
    s.lumaSpread = std::sqrt(std::max(0.0, sumSquares / n - s.meanLuma * s.meanLuma));
    return s;
}

// Mean absolute luma step between horizontal neighbours: how hard edges are.
inline double edgeContrast(const QImage& rgba)
{
    double sum = 0;
    for (int y = 0; y < rgba.height(); ++y) {
        for (int x = 1; x < rgba.width(); ++x)
            sum += std::abs(lumaAt(rgba, x, y) - lumaAt(rgba, x - 1, y));
    }
    return sum / (double(rgba.width() - 1) * rgba.height());
}

// Largest difference of any premultiplied channel, so that the colour of
// invisible pixels does not count.
inline int largestDifference(const QImage& a, const QImage& b)
{
    const QImage pa = a.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (pa.size() != pb.size())
        return 256;
    int largest = 0;
    for (int y = 0; y < pa.height(); ++y) {
        const uchar* p = pa.constScanLine(y);
        const uchar* q = pb.constScanLine(y);
        for (int i = 0; i < pa.width() * 4; ++i)
            largest = std::max(largest, std::abs(int(p[i]) - int(q[i])));
    }
    return largest;
}

} // namespace imagetest
