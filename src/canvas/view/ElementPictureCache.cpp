#include "canvas/view/ElementPictureCache.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "canvas/painting/ExposedArea.h"
#include "canvas/view/ElementPictureBudget.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QCoreApplication>
#include <QMutex>
#include <QPaintDevice>
#include <QPicture>
#include <QPointer>
#include <QRegion>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace ql {

namespace {

// A picture larger than this (64 MB) covers only what is in view.
constexpr double kMaxPixels = 4096.0 * 4096.0;
// Beyond this many rectangles in the exposed area, one slow copy is cheaper.
constexpr int kMaxClipRects = 16;

// Where the painter puts the element: element coordinates to device pixels
// as a linear map and a whole-pixel offset, so that a picture in the linear
// map's space lands on the device pixel for pixel.
struct Placement {
    QTransform linear;
    QPointF offset;
    double pixelRatio = 1.0;
};

Placement placementOf(const QPainter& painter)
{
    Placement placement;
    placement.pixelRatio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QTransform toDevice =
        painter.combinedTransform() * QTransform::fromScale(placement.pixelRatio, placement.pixelRatio);
    placement.linear = QTransform(toDevice.m11(), toDevice.m12(), toDevice.m21(), toDevice.m22(), 0, 0);
    placement.offset = QPointF(std::round(toDevice.dx()), std::round(toDevice.dy()));
    return placement;
}

bool sameLinear(const QTransform& a, const QTransform& b)
{
    const double size = std::abs(b.m11()) + std::abs(b.m12()) + std::abs(b.m21()) + std::abs(b.m22());
    const double apart = std::abs(a.m11() - b.m11()) + std::abs(a.m12() - b.m12()) + std::abs(a.m21() - b.m21())
                         + std::abs(a.m22() - b.m22());
    return apart <= 1e-3 * size;
}

// Where the painter, its transform reset, can paint: the window's exposed
// area within the painter's own clip. Empty when neither is known.
QRegion exposedArea(const QPainter& painter)
{
    QRegion area = ExposedArea::of(painter);
    if (painter.hasClipping())
        area = area.isEmpty() ? painter.clipRegion() : area & painter.clipRegion();
    return area;
}

// The smallest rectangle holding every pixel of a premultiplied picture that
// is not wholly clear.
QRect paintedPart(const QImage& picture)
{
    if (picture.format() != QImage::Format_ARGB32_Premultiplied)
        return picture.rect();
    const int width = picture.width();
    const auto row = [&](int y) { return reinterpret_cast<const quint32*>(picture.constScanLine(y)); };
    // Most of a picture is clear rows (the margin for the handles): each is
    // compared with zeros in blocks, which the C library does many pixels at
    // a time, not pixel by pixel.
    static const quint32 zeros[1024] = {};
    const auto clear = [&](int y) {
        const quint32* pixels = row(y);
        for (int x = 0; x < width; x += int(std::size(zeros))) {
            const int count = std::min(width - x, int(std::size(zeros)));
            if (std::memcmp(pixels + x, zeros, size_t(count) * sizeof(quint32)) != 0)
                return false;
        }
        return true;
    };
    int top = 0;
    while (top < picture.height() && clear(top))
        ++top;
    if (top == picture.height())
        return {};
    int bottom = picture.height() - 1;
    while (clear(bottom))
        --bottom;
    int left = width;
    int right = -1;
    for (int y = top; y <= bottom; ++y) {
        const quint32* pixels = row(y);
        for (int x = 0; x < left; ++x)
            if (pixels[x] != 0) {
                left = x;
                break;
            }
        for (int x = width - 1; x > right; --x)
            if (pixels[x] != 0) {
                right = x;
                break;
            }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Maps `from` onto `to`, as a picture of an element resized is stretched.
QTransform stretch(const QRectF& from, const QRectF& to)
{
    if (from.isEmpty() || from == to)
        return {};
    const double sx = to.width() / from.width();
    const double sy = to.height() / from.height();
    return QTransform(sx, 0, 0, sy, to.left() - from.left() * sx, to.top() - from.top() * sy);
}

QTransform pictureTransform(const QTransform& linear, const QRect& area)
{
    return linear * QTransform::fromTranslate(-area.left(), -area.top());
}

QImage blankPicture(const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull())
        image.fill(Qt::transparent);
    return image;
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

ElementPictureCache::ElementPictureCache(std::shared_ptr<ElementPictureBudget> budget)
    : m_budget(std::move(budget)), m_delivery(std::make_shared<Delivery>())
{
    m_delivery->owner = this;
}

ElementPictureCache::~ElementPictureCache()
{
    if (m_budget)
        m_budget->release(*this);
    {
        const QMutexLocker lock(&m_delivery->mutex);
        m_delivery->owner = nullptr;
    }
    // A picture being drawn may hand parts of its work to the toolkit's own
    // threads, which are gone once the application is torn down: a drawing
    // still running then would never end, and quitting would hang on it.
    // So the last pictures are finished while the toolkit is still there.
    if (m_rendering)
        picturePool().waitForDone();
}

bool ElementPictureCache::fits(const QTransform& linear, const QRect& needed) const
{
    return m_kept && m_key.generation == m_generation && sameLinear(m_key.linear, linear)
           && m_key.area.contains(needed);
}

void ElementPictureCache::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& bounds,
                                const QRect& view)
{
    const Placement placement = placementOf(painter);
    if (!placement.linear.isInvertible() || !std::isfinite(placement.linear.determinant())
        || !std::isfinite(placement.offset.x()) || !std::isfinite(placement.offset.y()))
        return;
    const QRect whole = placement.linear.mapRect(bounds).toAlignedRect();
    QRect needed = whole;
    if (!view.isEmpty()) {
        const QRectF shown(QPointF(view.topLeft()) * placement.pixelRatio, QSizeF(view.size()) * placement.pixelRatio);
        needed &= shown.translated(-placement.offset).toAlignedRect();
    }
    if (needed.isEmpty())
        return;

    if (fits(placement.linear, needed)) {
        if (m_budget)
            m_budget->touch(*this);
        draw(painter, m_picture, m_pictureAt, m_key);
        return;
    }
    // What is in view and half as much again around it, so that a little
    // scrolling needs no new picture.
    QRect area = needed.adjusted(-needed.width() / 2, -needed.height() / 2, needed.width() / 2, needed.height() / 2)
                     .intersected(whole);
    if (double(area.width()) * area.height() > kMaxPixels)
        area = needed;
    const Key key {m_generation, placement.linear, area, bounds};

    if (!isCostly(element)) {
        QImage image = blankPicture(area.size());
        if (image.isNull()) {
            // No memory for a picture: drawn as it is.
            ElementPainter::paintLocal(painter, element);
            return;
        }
        {
            QPainter picture(&image);
            picture.setRenderHints(painter.renderHints());
            picture.setTransform(pictureTransform(key.linear, key.area));
            // The picture stands for the window it is drawn for.
            const PictureConversionScope scope(PictureConversionScope::document(),
                                               PictureConversionScope::screen() ? &image : nullptr);
            ElementPainter::paintLocal(picture, element);
        }
        if (keep(image, key))
            draw(painter, m_picture, m_pictureAt, key);
        else
            draw(painter, image, QPoint(0, 0), key); // no room to keep it: shown once
        return;
    }
    if (!m_rendering)
        start(element, key, painter.renderHints());
    paintStandIn(painter, element, bounds);
}

bool ElementPictureCache::keep(const QImage& picture, const Key& key, bool urgent)
{
    // The clear pixels around the drawing are left out: drawn over the page,
    // as the canvas draws, they change nothing. A drawing of nothing keeps
    // no pixels at all (a copy of an empty part would copy every one).
    const QRect painted = paintedPart(picture);
    const QImage kept = painted.isEmpty() ? QImage() : painted == picture.rect() ? picture : picture.copy(painted);
    if (m_budget && !m_budget->admit(*this, kept.sizeInBytes(), urgent)) {
        forgetPicture();
        return false;
    }
    m_kept = true;
    m_picture = kept;
    m_pictureAt = painted.topLeft();
    m_key = key;
    ++m_pictureCount;
    return true;
}

void ElementPictureCache::forgetPicture()
{
    m_kept = false;
    m_picture = QImage();
    m_pictureAt = QPoint();
}

void ElementPictureCache::draw(QPainter& painter, const QImage& picture, QPoint at, const Key& key)
{
    if (picture.isNull())
        return;
    const Placement placement = placementOf(painter);
    painter.save();
    // Device coordinates: the picture's pixels are the device's.
    painter.resetTransform();
    // Pixel for pixel, smoothing changes nothing, and without it the toolkit
    // copies the picture in one pass instead of handing it to its threads.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QPointF origin = QPointF(key.area.topLeft() + at) + placement.offset;
    const QRectF target(origin / placement.pixelRatio, QSizeF(picture.size()) / placement.pixelRatio);
    // A repaint's exposed area is often a few rectangles; the toolkit copies
    // pictures fast only inside a plain rectangle, so each is copied apart.
    const QRegion exposed = placement.pixelRatio == 1.0 ? exposedArea(painter) : QRegion();
    if (!exposed.isEmpty() && exposed.rectCount() <= kMaxClipRects) {
        const QRect painted = target.toAlignedRect();
        for (const QRect& rect : exposed) {
            const QRect part = rect & painted;
            if (part.isEmpty())
                continue;
            painter.setClipRect(part);
            painter.drawImage(part.topLeft(), picture, part.translated(-painted.topLeft()));
        }
    } else {
        painter.drawImage(target, picture);
    }
    painter.restore();
}

void ElementPictureCache::paintStandIn(QPainter& painter, const ZVPuttyView& element, const QRectF& bounds) const
{
    if (!m_picture.isNull() && m_key.linear.isInvertible()) {
        // The last picture, stretched to where the element now lies.
        const QPoint at = m_key.area.topLeft() + m_pictureAt;
        const QTransform pictureToElement = QTransform::fromTranslate(at.x(), at.y()) * m_key.linear.inverted();
        painter.save();
        painter.setWorldTransform(pictureToElement * stretch(m_key.bounds, bounds) * painter.worldTransform());
        painter.drawImage(QPointF(0, 0), m_picture);
        painter.restore();
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
        const PictureConversionScope scope(PictureConversionScope::document(),
                                           PictureConversionScope::screen() ? &recording : nullptr);
        ElementPainter::paintLocal(recorder, element);
    }
    m_rendering = true;
    picturePool().start([recording, key, hints, delivery = m_delivery] {
        {
            const QMutexLocker lock(&delivery->mutex);
            if (!delivery->owner)
                return;
        }
        QImage image = blankPicture(key.area.size());
        if (!image.isNull()) {
            QPainter player(&image);
            player.setRenderHints(hints);
            player.setTransform(pictureTransform(key.linear, key.area));
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
    // Without memory for it the stand-in stays until the next change.
    if (image.isNull())
        return;
    // A picture made on this thread meanwhile is newer.
    if (m_kept && m_key.generation > key.generation) {
        emit pictureReady();
        return;
    }
    // Drawing it again would take as long: it makes room.
    keep(image, key, true);
    // Shown even when the element has changed since: it is the best there
    // is, and the repaint asks for the next one.
    emit pictureReady();
}

} // namespace ql
