// A blurred, tinted layer painted in device pixels, as shadows and blurs of
// paths need it (the painter has no shadows of its own). Only what the
// painter can still change is computed, tile by tile, so that cost follows
// the pixels drawn and memory stays bounded at any zoom or resolution.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <functional>
#include <optional>

namespace ql {

class BlurredLayer {
public:
    // Paints the coverage (opaque where covered) in device coordinates; it
    // must cover at least `region`, the device area this call computes.
    using Coverage = std::function<void(QPainter& layer, const QRectF& region)>;

    // The largest blur radius, in device pixels, that a layer takes.
    static constexpr double largestRadius = 16384.0;
    // The side of the largest tile drawn at once.
    static constexpr int defaultTileSide = 1024;

    BlurredLayer(double radius, QColor color, Coverage coverage);

    // Keeps the layer inside `path` (device coordinates), edges smoothed.
    void keepInside(const QPainterPath& path) { m_inside = path; }
    // Smaller tiles, for checking that tiles meet without seams.
    void setTileSide(int side) { m_tileSide = std::max(1, side); }

    // Device pixels that the coverage, once blurred, reaches beyond itself.
    int reach() const;
    // Paints the layer over `area` (device pixels), or the part of it the
    // painter can still change; the painter's transform plays no part.
    void paint(QPainter& painter, const QRectF& area) const;

    // Whether a radius can give a layer at all (not NaN, not past the largest).
    static bool usableRadius(double radius) { return radius <= largestRadius; }
    // The device pixels the painter can still change: its device narrowed by
    // its clip; none when the device has no size and there is no clip.
    static std::optional<QRect> visibleDeviceRect(const QPainter& painter);

private:
    void paintTile(QPainter& painter, const QRect& tile) const;

    double m_radius;
    QColor m_color;
    Coverage m_coverage;
    std::optional<QPainterPath> m_inside;
    int m_tileSide = defaultTileSide;
    // Wide blurs are computed on a coarser grid of `m_step` device pixels,
    // which a smooth result does not show.
    int m_step = 1;
    double m_sigma = 0.0; // on that grid
};

} // namespace ql
