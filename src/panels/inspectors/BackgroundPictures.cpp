#include "panels/inspectors/BackgroundPictures.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QtMath>
#include <cmath>
#include <functional>

namespace ql {

namespace {

constexpr int kTile = 192;
constexpr QSize kArtSize(480, 360);

QImage paint(QSize size, const QColor& ground, const std::function<void(QPainter&)>& draw)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(ground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return image;
}

// Draws `draw` at the tile's own place and shifted by a tile each way, so
// that what crosses an edge comes back on the other side and the tile
// repeats without seams.
void wrapped(QPainter& painter, const std::function<void()>& draw)
{
    for (int dx : {-kTile, 0, kTile}) {
        for (int dy : {-kTile, 0, kTile}) {
            painter.save();
            painter.translate(dx, dy);
            draw();
            painter.restore();
        }
    }
}

QImage linen()
{
    return paint({kTile, kTile}, QColor(236, 228, 212), [](QPainter& p) {
        QRandomGenerator random(35);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int i = 0; i < kTile; ++i) {
            p.setPen(QColor(150, 130, 100, 10 + int(random.bounded(30))));
            p.drawLine(0, i, kTile, i);
            p.setPen(QColor(150, 130, 100, 10 + int(random.bounded(30))));
            p.drawLine(i, 0, i, kTile);
        }
    });
}

QImage paper()
{
    QImage image(kTile, kTile, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(36);
    for (int y = 0; y < kTile; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kTile; ++x) {
            const int grain = int(random.bounded(14));
            line[x] = qRgb(244 - grain, 241 - grain, 232 - grain);
        }
    }
    return image;
}

QImage dots()
{
    return paint({kTile, kTile}, QColor(120, 178, 214), [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 220));
        constexpr int step = 32;
        for (int row = 0; row < kTile / step; ++row)
            for (int column = 0; column < kTile / step; ++column) {
                const QPointF centre(column * step + (row % 2 ? step / 2.0 : 0.0) + step / 4.0,
                                     row * step + step / 2.0);
                wrapped(p, [&] { p.drawEllipse(centre, 7, 7); });
            }
    });
}

QImage stripes()
{
    return paint({kTile, kTile}, QColor(250, 236, 200), [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(232, 150, 110));
        constexpr int period = 24;
        for (int start = -kTile; start < 2 * kTile; start += period) {
            QPolygonF band;
            band << QPointF(start, 0) << QPointF(start + period / 2.0, 0)
                 << QPointF(start + period / 2.0 + kTile, kTile) << QPointF(start + kTile, kTile);
            p.drawPolygon(band);
        }
    });
}

QImage grid()
{
    return paint({kTile, kTile}, QColor(252, 253, 255), [](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int i = 0; i < kTile; i += 16) {
            p.setPen(QColor(140, 180, 230, i % 64 ? 90 : 200));
            p.drawLine(i, 0, i, kTile);
            p.drawLine(0, i, kTile, i);
        }
    });
}

QImage gingham()
{
    return paint({kTile, kTile}, Qt::white, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        const QColor band(200, 40, 50, 110);
        for (int i = 0; i < kTile; i += 48) {
            p.fillRect(QRect(i, 0, 24, kTile), band);
            p.fillRect(QRect(0, i, kTile, 24), band);
        }
    });
}

QImage waves()
{
    return paint({kTile, kTile}, QColor(218, 240, 238), [](QPainter& p) {
        p.setPen(QPen(QColor(40, 140, 150), 3));
        for (int row = 0; row < kTile; row += 24) {
            QPainterPath wave;
            for (int x = 0; x <= kTile; x += 2) {
                // Two whole periods per tile, so the ends meet.
                const double y = row + 12 + 6 * std::sin(x * 2 * M_PI * 2 / kTile);
                x == 0 ? wave.moveTo(x, y) : wave.lineTo(x, y);
            }
            p.drawPath(wave);
        }
    });
}

QImage bricks()
{
    return paint({kTile, kTile}, QColor(225, 220, 210), [](QPainter& p) {
        QRandomGenerator random(37);
        p.setPen(Qt::NoPen);
        constexpr int height = 24, width = 48;
        for (int row = 0; row < kTile / height; ++row) {
            for (int column = -1; column <= kTile / width; ++column) {
                const int x = column * width + (row % 2 ? width / 2 : 0);
                const int shade = int(random.bounded(40));
                p.setBrush(QColor(170 + shade, 80 + shade / 2, 60 + shade / 3));
                p.drawRect(QRectF(x + 2, row * height + 2, width - 4, height - 4));
            }
        }
    });
}

QImage sunburst()
{
    return paint(kArtSize, QColor(255, 214, 90), [](QPainter& p) {
        const QPointF centre(kArtSize.width() / 2.0, kArtSize.height() * 0.6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 174, 66));
        constexpr int rays = 24;
        for (int i = 0; i < rays; i += 2) {
            QPainterPath ray(centre);
            ray.arcTo(QRectF(centre - QPointF(800, 800), QSizeF(1600, 1600)), i * 360.0 / rays, 360.0 / rays);
            ray.closeSubpath();
            p.drawPath(ray);
        }
        QRadialGradient glow(centre, 120);
        glow.setColorAt(0, QColor(255, 255, 230));
        glow.setColorAt(1, QColor(255, 255, 230, 0));
        p.setBrush(glow);
        p.drawEllipse(centre, 120, 120);
    });
}

QImage hills()
{
    return paint(kArtSize, Qt::white, [](QPainter& p) {
        QLinearGradient sky(0, 0, 0, kArtSize.height());
        sky.setColorAt(0, QColor(120, 190, 250));
        sky.setColorAt(1, QColor(230, 245, 255));
        p.fillRect(QRect(QPoint(0, 0), kArtSize), sky);
        p.setPen(Qt::NoPen);
        const QColor greens[] = {QColor(150, 200, 120), QColor(100, 170, 90), QColor(60, 130, 70)};
        for (int layer = 0; layer < 3; ++layer) {
            QPainterPath hill;
            const double base = 200 + layer * 50;
            hill.moveTo(0, kArtSize.height());
            for (int x = 0; x <= kArtSize.width(); x += 8)
                hill.lineTo(x, base - 40 * std::sin(x / (90.0 + 30 * layer) + layer * 1.7));
            hill.lineTo(kArtSize.width(), kArtSize.height());
            p.setBrush(greens[layer]);
            p.drawPath(hill);
        }
    });
}

QImage bubbles()
{
    return paint(kArtSize, Qt::white, [](QPainter& p) {
        QLinearGradient ground(0, 0, kArtSize.width(), kArtSize.height());
        ground.setColorAt(0, QColor(90, 60, 180));
        ground.setColorAt(1, QColor(40, 170, 200));
        p.fillRect(QRect(QPoint(0, 0), kArtSize), ground);
        QRandomGenerator random(38);
        p.setPen(QPen(QColor(255, 255, 255, 160), 2));
        for (int i = 0; i < 40; ++i) {
            const double r = 8 + random.bounded(40);
            p.setBrush(QColor(255, 255, 255, 20 + int(random.bounded(50))));
            p.drawEllipse(QPointF(random.bounded(kArtSize.width()), random.bounded(kArtSize.height())), r, r);
        }
    });
}

QImage confetti()
{
    return paint(kArtSize, QColor(255, 250, 240), [](QPainter& p) {
        QRandomGenerator random(39);
        const QColor colours[] = {QColor(239, 71, 111), QColor(255, 209, 102), QColor(6, 214, 160),
                                  QColor(17, 138, 178), QColor(155, 93, 229)};
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 160; ++i) {
            p.save();
            p.translate(random.bounded(kArtSize.width()), random.bounded(kArtSize.height()));
            p.rotate(random.bounded(180));
            p.setBrush(colours[random.bounded(5)]);
            p.drawRect(QRectF(-6, -3, 12, 6));
            p.restore();
        }
    });
}

QImage nightSky()
{
    return paint(kArtSize, Qt::black, [](QPainter& p) {
        QLinearGradient sky(0, 0, 0, kArtSize.height());
        sky.setColorAt(0, QColor(8, 12, 40));
        sky.setColorAt(1, QColor(40, 30, 90));
        p.fillRect(QRect(QPoint(0, 0), kArtSize), sky);
        QRandomGenerator random(40);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 220; ++i) {
            const double r = 0.5 + random.bounded(1.5);
            p.setBrush(QColor(255, 255, 240, 120 + int(random.bounded(135))));
            p.drawEllipse(QPointF(random.bounded(kArtSize.width()), random.bounded(kArtSize.height())), r, r);
        }
        p.setBrush(QColor(250, 245, 220));
        p.drawEllipse(QPointF(380, 80), 32, 32);
        p.setBrush(QColor(8, 12, 40));
        p.drawEllipse(QPointF(394, 72), 30, 30);
    });
}

QImage ribbons()
{
    return paint(kArtSize, QColor(250, 248, 255), [](QPainter& p) {
        const QColor colours[] = {QColor(255, 120, 150, 170), QColor(120, 160, 255, 170),
                                  QColor(255, 200, 90, 170)};
        for (int i = 0; i < 3; ++i) {
            QPainterPath band;
            const double y = 90 + i * 90;
            band.moveTo(-20, y);
            band.cubicTo(160, y - 120, 320, y + 120, 500, y - 10);
            band.lineTo(500, y + 40);
            band.cubicTo(320, y + 170, 160, y - 70, -20, y + 50);
            band.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(colours[i]);
            p.drawPath(band);
        }
    });
}

} // namespace

const QList<BackgroundPicture>& backgroundTextures()
{
    static const QList<BackgroundPicture> textures {
        {QCoreApplication::translate("BackgroundPictures", "Linen"), linen()},
        {QCoreApplication::translate("BackgroundPictures", "Paper"), paper()},
        {QCoreApplication::translate("BackgroundPictures", "Dots"), dots()},
        {QCoreApplication::translate("BackgroundPictures", "Stripes"), stripes()},
        {QCoreApplication::translate("BackgroundPictures", "Grid"), grid()},
        {QCoreApplication::translate("BackgroundPictures", "Gingham"), gingham()},
        {QCoreApplication::translate("BackgroundPictures", "Waves"), waves()},
        {QCoreApplication::translate("BackgroundPictures", "Bricks"), bricks()},
    };
    return textures;
}

const QList<BackgroundPicture>& backgroundArt()
{
    static const QList<BackgroundPicture> art {
        {QCoreApplication::translate("BackgroundPictures", "Sunburst"), sunburst()},
        {QCoreApplication::translate("BackgroundPictures", "Hills"), hills()},
        {QCoreApplication::translate("BackgroundPictures", "Bubbles"), bubbles()},
        {QCoreApplication::translate("BackgroundPictures", "Confetti"), confetti()},
        {QCoreApplication::translate("BackgroundPictures", "Night Sky"), nightSky()},
        {QCoreApplication::translate("BackgroundPictures", "Ribbons"), ribbons()},
    };
    return art;
}

} // namespace ql
