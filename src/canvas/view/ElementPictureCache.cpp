#include "canvas/view/ElementPictureCache.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"

#include <QCoreApplication>
#include <QMutex>
#include <QPaintDevice>
#include <QPicture>
#include <QPointer>
#include <QThreadPool>
#include <cmath>

namespace ql {

namespace {

// A picture larger than this (64 MB) covers only what is in view.
constexpr double kMaxPixels = 4096.0 * 4096.0;

QRectF mapBetween(const QRectF& area, const QRectF& from, const QRectF& to)
{
    if (from.isEmpty() || from == to)
        return area;
    const double sx = to.width() / from.width();
    const double sy = to.height() / from.height();
    return QRectF(to.left() + (area.left() - from.left()) * sx, to.top() + (area.top() - from.top()) * sy,
                  area.width() * sx, area.height() * sy);
}

// Pictures are drawn on threads of their own, so that a slow one never holds
// up what other parts of the program hand to the global pool. Quitting drops
// the pictures not yet begun and waits only for those being drawn.
QThreadPool& picturePool()
{
    static QPointer<QThreadPool> pool;
    if (!pool) {
        QCoreApplication* app = QCoreApplication::instance();
        pool = new QThreadPool(app);
        pool->setMaxThreadCount(2);
        if (app)
            QObject::connect(app, &QCoreApplication::aboutToQuit, pool, &QThreadPool::clear);
    }
    return *pool;
}

} // namespace

// The worker hands its picture back through this: the cache may be gone by
// then, and the lock keeps it from going while the result is posted.
struct ElementPictureCache::Delivery {
    QMutex mutex;
    ElementPictureCache* owner = nullptr;
};

bool ElementPictureCache::isCostly(const ZVPuttyView& element)
{
    return ElementPainter::complexity(element) > kCostlySegments;
}

ElementPictureCache::ElementPictureCache() : m_delivery(std::make_shared<Delivery>())
{
    m_delivery->owner = this;
}

ElementPictureCache::~ElementPictureCache()
{
    const QMutexLocker lock(&m_delivery->mutex);
    m_delivery->owner = nullptr;
}

bool ElementPictureCache::fits(const Key& key, double scale, const QRectF& needed) const
{
    return !m_picture.isNull() && key.generation == m_generation && std::abs(key.scale - scale) <= 1e-3 * scale
           && key.area.contains(needed);
}

void ElementPictureCache::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& bounds,
                                const QRectF& visible)
{
    const QRectF needed = bounds.intersected(visible);
    if (needed.isEmpty())
        return;
    const QTransform& world = painter.worldTransform();
    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const double scale = std::hypot(world.m11(), world.m12()) * dpr;
    if (!(scale > 0) || !std::isfinite(scale))
        return;

    if (fits(m_key, scale, needed)) {
        painter.drawImage(m_key.area, m_picture);
        return;
    }
    if (!m_rendering) {
        // What is in view and half as much again around it, so that a little
        // scrolling needs no new picture.
        QRectF area = needed.adjusted(-needed.width() / 2, -needed.height() / 2, needed.width() / 2,
                                      needed.height() / 2)
                          .intersected(bounds);
        if (area.width() * area.height() * scale * scale > kMaxPixels)
            area = needed;
        start(element, Key {m_generation, scale, area, bounds}, painter.renderHints());
    }
    paintStandIn(painter, element, bounds);
}

void ElementPictureCache::paintStandIn(QPainter& painter, const ZVPuttyView& element, const QRectF& bounds) const
{
    if (!m_picture.isNull()) {
        // The last picture, stretched to where the element now lies.
        painter.drawImage(mapBetween(m_key.area, m_key.bounds, bounds), m_picture);
        return;
    }
    painter.save();
    painter.setPen(QPen(QColor(0, 0, 0, 60), 0, Qt::DashLine));
    painter.setBrush(QColor(0, 0, 0, 16));
    painter.drawRect(ElementPainter::contentRect(element));
    painter.restore();
}

void ElementPictureCache::start(const ZVPuttyView& element, const Key& key, QPainter::RenderHints hints)
{
    // Recording keeps the drawing commands, not the model: the worker never
    // touches the element, which belongs to this thread.
    QPicture recording;
    {
        QPainter recorder(&recording);
        recorder.setRenderHints(hints);
        ElementPainter::paintLocal(recorder, element);
    }
    m_rendering = true;
    const QSize size(std::max(1, int(std::ceil(key.area.width() * key.scale))),
                     std::max(1, int(std::ceil(key.area.height() * key.scale))));
    picturePool().start([recording, key, size, hints, delivery = m_delivery] {
        {
            const QMutexLocker lock(&delivery->mutex);
            if (!delivery->owner)
                return;
        }
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter player(&image);
            player.setRenderHints(hints);
            player.scale(double(size.width()) / key.area.width(), double(size.height()) / key.area.height());
            player.translate(-key.area.topLeft());
            player.setClipRect(key.area);
            player.drawPicture(QPointF(0, 0), recording);
        }
        const QMutexLocker lock(&delivery->mutex);
        if (ElementPictureCache* owner = delivery->owner)
            QMetaObject::invokeMethod(owner, [owner, image, key] { owner->accept(image, key); }, Qt::QueuedConnection);
    });
}

void ElementPictureCache::accept(const QImage& image, const Key& key)
{
    m_rendering = false;
    m_picture = image;
    m_key = key;
    ++m_pictureCount;
    // Shown even when the element has changed since: it is the best there
    // is, and the repaint asks for the next one.
    emit pictureReady();
}

} // namespace ql
