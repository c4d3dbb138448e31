// A picture of one costly element (an outline of hundreds of thousands of
// segments) at the zoom it is shown at, so that the window repaints it by
// copying pixels. The element's drawing is recorded on the window's thread,
// which is quick, and played into the picture on a worker thread; until the
// picture arrives the previous one (fitted to the element) or a placeholder
// is shown. The picture covers what is in view and a margin around it.
#pragma once

#include <QImage>
#include <QPainter>
#include <QObject>
#include <QRectF>
#include <memory>

class ZVPuttyView;

namespace ql {

class ElementPictureCache : public QObject {
    Q_OBJECT
public:
    // Elements that draw more path segments than this come from a picture.
    static constexpr qsizetype kCostlySegments = 100000;
    static bool isCostly(const ZVPuttyView& element);

    ElementPictureCache();
    ~ElementPictureCache() override;

    // Draws the element from its picture, the painter in the element's own
    // coordinates. `bounds` is what the element covers there, `visible` the
    // part of it in view (both in the element's coordinates).
    void paint(QPainter& painter, const ZVPuttyView& element, const QRectF& bounds, const QRectF& visible);
    // The element's drawing changed: the next paint makes a new picture.
    void invalidate() { ++m_generation; }

    // For tests and benchmarks: pictures made so far, and whether one is
    // being made.
    int pictureCount() const { return m_pictureCount; }
    bool isRendering() const { return m_rendering; }

signals:
    // A new picture is ready: the element's item repaints.
    void pictureReady();

private:
    struct Key {
        quint64 generation = 0;
        double scale = 0;
        QRectF area;   // element coordinates the picture covers
        QRectF bounds; // the element's bounds when it was made
    };
    struct Delivery;

    bool fits(const Key& key, double scale, const QRectF& needed) const;
    void start(const ZVPuttyView& element, const Key& key, QPainter::RenderHints hints);
    void accept(const QImage& image, const Key& key);
    void paintStandIn(QPainter& painter, const ZVPuttyView& element, const QRectF& bounds) const;

    QImage m_picture;
    Key m_key;
    quint64 m_generation = 1;
    bool m_rendering = false;
    int m_pictureCount = 0;
    std::shared_ptr<Delivery> m_delivery;
};

} // namespace ql
