#include "imaging/BlurredLayer.h"

#include "imaging/effects/Blur.h"

#include <QImage>
#include <array>
#include <cmath>
#include <vector>

namespace ql {

namespace {

// Where neither the device nor a clip bounds the layer, a layer larger than
// this on a side is not drawn.
constexpr double unboundedSide = 16384.0;
// Blurs wider than this (a standard deviation in device pixels) are computed
// on a coarser grid that keeps about `coarseSigma` of its own pixels.
constexpr double fineSigma = 16.0;
constexpr double coarseSigma = 8.0;

int floorDiv(int value, int step)
{
    return value >= 0 ? value / step : -((-value + step - 1) / step);
}

// Where each device pixel of a run falls between two grid pixels.
struct Sample {
    int first;
    int second;
    float weight; // of the second
};

std::vector<Sample> samples(int deviceStart, int count, int step, int gridStart, int gridCount)
{
    std::vector<Sample> result(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double at = (deviceStart + i + 0.5) / step - 0.5 - gridStart;
        const int first = std::clamp(int(std::floor(at)), 0, gridCount - 1);
        result[size_t(i)] = {first, std::min(first + 1, gridCount - 1), float(std::clamp(at - first, 0.0, 1.0))};
    }
    return result;
}

} // namespace

BlurredLayer::BlurredLayer(double radius, QColor color, Coverage coverage)
    : m_radius(radius), m_color(color.toRgb()), m_coverage(std::move(coverage))
{
    // A shadow's blur radius spreads about twice its standard deviation.
    const double sigma = radius > 0.0 && usableRadius(radius) ? radius / 2.0 : 0.0;
    m_step = sigma > fineSigma ? int(std::floor(sigma / coarseSigma)) : 1;
    m_sigma = sigma / m_step;
}

int BlurredLayer::reach() const
{
    // One grid pixel more for the sampling between two of them, one for the
    // smoothed edges of the coverage.
    return (effects::gaussianReach(m_sigma) + 2) * m_step;
}

std::optional<QRect> BlurredLayer::visibleDeviceRect(const QPainter& painter)
{
    std::optional<QRect> visible;
    if (const QPaintDevice* device = painter.device(); device && device->width() > 0 && device->height() > 0)
        visible = QRect(0, 0, device->width(), device->height());
    if (painter.hasClipping()) {
        const QRect clip = painter.combinedTransform().mapRect(painter.clipBoundingRect()).toAlignedRect();
        visible = visible ? visible->intersected(clip) : clip;
    }
    return visible;
}

void BlurredLayer::paint(QPainter& painter, const QRectF& area) const
{
    if (!usableRadius(m_radius) || !m_color.isValid() || m_color.alpha() == 0 || !m_coverage)
        return;
    QRectF wanted = area;
    if (m_inside)
        wanted &= m_inside->boundingRect();
    if (const std::optional<QRect> visible = visibleDeviceRect(painter))
        wanted &= QRectF(*visible);
    else if (wanted.width() > unboundedSide || wanted.height() > unboundedSide)
        return;
    // Pixel positions stay well inside int, whatever the path's coordinates.
    wanted &= QRectF(-1e8, -1e8, 2e8, 2e8);
    if (!wanted.isValid() || wanted.isEmpty())
        return;
    const QRect output = wanted.toAlignedRect();
    painter.save();
    painter.resetTransform();
    for (int top = output.top(); top <= output.bottom(); top += m_tileSide) {
        for (int left = output.left(); left <= output.right(); left += m_tileSide) {
            paintTile(painter, QRect(left, top, std::min(m_tileSide, output.right() + 1 - left),
                                     std::min(m_tileSide, output.bottom() + 1 - top)));
        }
    }
    painter.restore();
}

void BlurredLayer::paintTile(QPainter& painter, const QRect& tile) const
{
    // The grid pixels whose blurred values the tile samples, and all those
    // within the blur's reach of them: the tile comes out as in the whole.
    const int k = m_step;
    const int margin = effects::gaussianReach(m_sigma) + 2;
    const QRect grid(QPoint(floorDiv(tile.left(), k) - margin, floorDiv(tile.top(), k) - margin),
                     QPoint(floorDiv(tile.right(), k) + margin, floorDiv(tile.bottom(), k) + margin));
    const int gw = grid.width();
    const int gh = grid.height();

    QImage coverage(grid.size(), QImage::Format_Alpha8);
    if (coverage.isNull())
        return;
    coverage.fill(0);
    {
        QPainter layer(&coverage);
        layer.setRenderHint(QPainter::Antialiasing);
        layer.translate(-grid.left(), -grid.top());
        layer.scale(1.0 / k, 1.0 / k);
        m_coverage(layer, QRectF(grid.left() * double(k), grid.top() * double(k), gw * double(k), gh * double(k)));
    }
    std::vector<float> plane(size_t(gw) * size_t(gh));
    for (int y = 0; y < gh; ++y) {
        const uchar* line = coverage.constScanLine(y);
        float* row = plane.data() + size_t(y) * size_t(gw);
        for (int x = 0; x < gw; ++x)
            row[x] = line[x] / 255.0f;
    }
    coverage = QImage();
    effects::gaussianBlur(plane, gw, gh, m_sigma);

    const float alphaScale = float(m_color.alphaF() * 255.0);
    float largest = 0.0f;
    for (const float value : plane)
        largest = std::max(largest, value);
    if (largest * alphaScale < 0.5f)
        return; // nothing reaches this tile

    std::array<QRgb, 256> tint {};
    for (int a = 0; a < 256; ++a)
        tint[size_t(a)] = qPremultiply(qRgba(m_color.red(), m_color.green(), m_color.blue(), a));
    const std::vector<Sample> across = samples(tile.left(), tile.width(), k, grid.left(), gw);
    const std::vector<Sample> down = samples(tile.top(), tile.height(), k, grid.top(), gh);
    QImage tinted(tile.size(), QImage::Format_ARGB32_Premultiplied);
    if (tinted.isNull())
        return;
    for (int y = 0; y < tile.height(); ++y) {
        const Sample& v = down[size_t(y)];
        const float* upper = plane.data() + size_t(v.first) * size_t(gw);
        const float* lower = plane.data() + size_t(v.second) * size_t(gw);
        auto* line = reinterpret_cast<QRgb*>(tinted.scanLine(y));
        for (int x = 0; x < tile.width(); ++x) {
            const Sample& u = across[size_t(x)];
            const float top = upper[u.first] + (upper[u.second] - upper[u.first]) * u.weight;
            const float bottom = lower[u.first] + (lower[u.second] - lower[u.first]) * u.weight;
            const float value = std::clamp(top + (bottom - top) * v.weight, 0.0f, 1.0f);
            line[x] = tint[size_t(int(value * alphaScale + 0.5f))];
        }
    }
    if (m_inside) {
        QPainter keep(&tinted);
        keep.setRenderHint(QPainter::Antialiasing);
        keep.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        keep.translate(-tile.topLeft());
        keep.fillPath(*m_inside, Qt::black);
    }
    painter.drawImage(tile.topLeft(), tinted);
}

} // namespace ql
