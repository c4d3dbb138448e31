// The picture an element on the canvas is repainted from, so that shadows,
// reflections, 3D text and long outlines are not drawn again on every
// repaint. It is kept, in the screen's pixels, until the element, its parts
// or the zoom change; scrolling and moving reuse it. The picture covers what
// is in view and a margin around it.
//
// Most elements are drawn into it at once. A costly element (an outline of
// hundreds of thousands of segments) is recorded on the window's thread,
// which is quick, and played into the picture on a worker thread; until the
// picture arrives the previous one (fitted to the element) or a placeholder
// is shown. Pictures that wait for a slow conversion show placeholders in
// the picture when drawn for a window; the window asks for new ones once
// the conversion ends.
//
// Only the part of the picture that holds anything is kept (most of an
// element's frame is the clear margin for its handles), and the pictures of
// one canvas share a budget of memory (ElementPictureBudget).
#pragma once

#include <QImage>
#include <QObject>
#include <QPainter>
#include <QRect>
#include <QRectF>
#include <QTransform>
#include <memory>

class ZVPuttyView;

namespace ql {

class ElementPictureBudget;

class ElementPictureCache : public QObject {
    Q_OBJECT
public:
    // Elements that draw more path segments than this are drawn off the
    // window's thread.
    static constexpr qsizetype kCostlySegments = 100000;
    static bool isCostly(const ZVPuttyView& element);

    // Without a budget the picture is always kept.
    explicit ElementPictureCache(std::shared_ptr<ElementPictureBudget> budget = {});
    ~ElementPictureCache() override;

    // Draws the element from its picture, the painter in the element's own
    // coordinates. `bounds` is what the element covers there; `view` the
    // part of the painter's device in view (device coordinates), or empty
    // when all of the element is wanted.
    void paint(QPainter& painter, const ZVPuttyView& element, const QRectF& bounds, const QRect& view);
    // The element's drawing changed: the next paint makes a new picture.
    void invalidate() { ++m_generation; }

    // For tests and benchmarks: pictures made so far, and whether one is
    // being made off the window's thread.
    int pictureCount() const { return m_pictureCount; }
    bool isRendering() const { return m_rendering; }
    // Whether a picture is kept, and the memory it takes.
    bool hasPicture() const { return m_kept; }
    qint64 pictureBytes() const { return m_picture.sizeInBytes(); }

signals:
    // A picture made off the window's thread is ready: the element repaints.
    void pictureReady();

private:
    friend class ElementPictureBudget;

    struct Key {
        quint64 generation = 0;
        QTransform linear; // element coordinates to device pixels, less the offset
        QRect area;        // the pixels the picture covers, in the linear map's space
        QRectF bounds;     // the element's bounds when it was made
    };
    struct Delivery;

    bool fits(const QTransform& linear, const QRect& needed) const;
    // Draws a picture of the key's area whose painted part, `picture`, lies
    // at `at` in it.
    static void draw(QPainter& painter, const QImage& picture, QPoint at, const Key& key);
    void start(const ZVPuttyView& element, const Key& key, QPainter::RenderHints hints);
    void accept(const QImage& image, const Key& key);
    void paintStandIn(QPainter& painter, const ZVPuttyView& element, const QRectF& bounds) const;

    // Keeps the painted part of a picture, if the budget has room (always
    // when `urgent`); false when it had none.
    bool keep(const QImage& picture, const Key& key, bool urgent = false);
    // The budget needs the room back.
    void forgetPicture();

    std::shared_ptr<ElementPictureBudget> m_budget;
    bool m_kept = false;
    // The part of the picture with anything drawn, and where it lies in the
    // key's area.
    QImage m_picture;
    QPoint m_pictureAt;
    Key m_key;
    quint64 m_generation = 1;
    bool m_rendering = false;
    int m_pictureCount = 0;
    std::shared_ptr<Delivery> m_delivery;
};

} // namespace ql
