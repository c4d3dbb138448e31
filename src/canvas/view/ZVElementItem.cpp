#include "canvas/view/ZVElementItem.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/gestures/CropPanGesture.h"
#include "canvas/painting/ElementPainter.h"
#include "canvas/view/ElementPictureCache.h"
#include "canvas/view/TextEditingOverlay.h"
#include "canvas/painting/SelectionPainter.h"
#include "canvas/view/ZVClipView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVContentView.h"
#include "content/ZVImageView.h"

#include <QCursor>
#include <QPainter>
#include <QSet>
#include <QStyleOptionGraphicsItem>
#include <QWidget>
#include <cmath>

namespace ql {

namespace {

// What a repaint wants of the item, in its coordinates, or null for all of
// it. The toolkit cuts the exposed rectangle to the item's bounds, while
// knobs reach beyond them: where it meets a bound, it may go on past it.
QRectF exposedReach(const QStyleOptionGraphicsItem* option, const QRectF& bounds)
{
    if (!option || option->exposedRect.isEmpty())
        return {};
    constexpr double kFar = 1.0e12;
    const QRectF exposed = option->exposedRect;
    return QRectF(QPointF(exposed.left() <= bounds.left() ? -kFar : exposed.left(),
                          exposed.top() <= bounds.top() ? -kFar : exposed.top()),
                  QPointF(exposed.right() >= bounds.right() ? kFar : exposed.right(),
                          exposed.bottom() >= bounds.bottom() ? kFar : exposed.bottom()));
}

} // namespace

ZVElementItem::ZVElementItem(ZVPuttyView& element, bool inert, ZVClipView* clipView,
                             std::shared_ptr<ElementPictureBudget> pictures, QGraphicsItem* parent)
    : QGraphicsItem(parent), m_element(&element), m_inert(inert), m_clipView(clipView),
      m_pictures(std::make_unique<ElementPictureCache>(std::move(pictures)))
{
    setAcceptedMouseButtons(Qt::NoButton);
    // Paint learns the exposed rectangle, so that a small repaint draws only
    // the knobs and outlines there.
    setFlag(ItemUsesExtendedStyleOption);
    connect(m_pictures.get(), &ElementPictureCache::pictureReady, this, [this] { update(); });
    // An element put together piece by piece shows its effects once shown.
    element.applyFirstLoad();
    connect(&element, &KVObject::valueChanged, this, &ZVElementItem::onChange);
    connect(&element, &ZVPuttyView::reflectionChanged, this, &ZVElementItem::redraw);
    // An element that goes away leaves nothing to draw until the page restacks.
    connect(&element, &QObject::destroyed, this, [this] { setVisible(false); });
    watchParts();
    follow();
    updateCursor();
    m_lastOutline = outlineRect();
}

ZVElementItem::~ZVElementItem()
{
    if (m_clipView && !m_lastOutline.isEmpty())
        m_clipView->updateOutline(m_lastOutline);
}

void ZVElementItem::watchParts()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_partConnections))
        disconnect(connection);
    m_partConnections.clear();
    if (!m_element)
        return;
    const auto repaint = [this] { redraw(); };
    // `drawsNothing` is a key of the part that changes nothing in the picture.
    const auto watch = [this, &repaint](ZVContentView* part, QLatin1String drawsNothing) {
        // Every move of the element gives its parts their frames again, where
        // they were: only a frame that is new draws the part anew.
        m_partConnections.append(connect(part, &KVObject::valueChanged, this,
                                         [this, part, drawsNothing, frame = part->frame()](const QString& key) mutable {
                                             if (key == drawsNothing)
                                                 return;
                                             if (key == QLatin1String("frame")) {
                                                 if (part->frame() == frame)
                                                     return;
                                                 frame = part->frame();
                                             }
                                             redraw();
                                         }));
        // Its border and inner-shadow layers change on objects of their own.
        m_partConnections.append(connect(part, &ZVContentView::displayNeeded, this, repaint));
    };
    // Editing draws its caret and selection over the picture, not in it: a
    // page clearing its selection ends every box's editing, and must not draw
    // every box again for it.
    if (ZVContentView* content = m_element->contentView())
        watch(content, QLatin1String("editMode"));
    // Whether the background belongs to the focused element draws nothing:
    // following the selection must not make costly pictures again.
    if (ZVBackgroundView* background = m_element->backgroundView())
        watch(background, QLatin1String("selected"));
    // A reflection to be made again, or shown or hidden.
    if (ZVImageView* reflection = m_element->reflectionView())
        m_partConnections.append(connect(reflection, &ZVContentView::displayNeeded, this, [this] {
            follow();
            redraw();
        }));
}

void ZVElementItem::follow()
{
    if (!m_element)
        return;
    // The reflection and the shadow may reach beyond the frame.
    const QRectF bounds = ElementPainter::paintedRect(*m_element);
    if (bounds != m_bounds) {
        prepareGeometryChange();
        // Moving keeps the element's own drawing; resizing changes it.
        if (bounds.size() != m_bounds.size())
            m_pictures->invalidate();
        m_bounds = bounds;
    }
    setTransform(m_element->pageTransform());
}

void ZVElementItem::onChange(const QString& key)
{
    if (!m_element)
        return;
    if (key == QLatin1String("contentView") || key == QLatin1String("backgroundView")
        || key == QLatin1String("reflectionView"))
        watchParts();
    follow();
    if (key == QLatin1String("cropMode") || key == QLatin1String("isCropping") || key == QLatin1String("isMoving"))
        updateCursor();
    // Selection, hover and gestures change what is drawn over the element,
    // not its picture; the place on the page and the group change where and
    // with whom it is drawn. A new frame counts only when its size is new.
    static const QSet<QString> overlayKeys {
        QStringLiteral("isActive"),   QStringLiteral("isHighlighted"), QStringLiteral("isMoving"),
        QStringLiteral("isRotating"), QStringLiteral("isCropping"),    QStringLiteral("handles"),
        QStringLiteral("canvas"),     QStringLiteral("uuid"),          QStringLiteral("frame"),
        QStringLiteral("leftOffset"), QStringLiteral("topOffset"),     QStringLiteral("group")};
    if (!overlayKeys.contains(key))
        m_pictures->invalidate();
    update();
    // The clip view draws selected elements' outlines beyond the page.
    const QRectF outline = outlineRect();
    if (m_clipView && outline != m_lastOutline) {
        m_clipView->updateOutline(m_lastOutline.united(outline));
        m_lastOutline = outline;
    }
}

void ZVElementItem::updateCursor()
{
    // In crop display the hand says that dragging pans the picture.
    const Qt::CursorShape shape = m_element && !m_inert ? CropPanGesture::cursorFor(*m_element) : Qt::ArrowCursor;
    if (shape == Qt::ArrowCursor)
        unsetCursor();
    else
        setCursor(QCursor(shape));
}

QRectF ZVElementItem::outlineRect() const
{
    if (!m_element || m_inert || !(m_element->isActive() || m_element->isHighlighted()))
        return {};
    // A little wider than the content: the outline's stroke straddles it.
    return m_element->pageTransform().mapRect(ElementPainter::contentRect(*m_element)).adjusted(-2, -2, 2, 2);
}

void ZVElementItem::redraw()
{
    m_pictures->invalidate();
    update();
}

ZVPuttyView* ZVElementItem::element() const
{
    return m_element.data();
}

QRectF ZVElementItem::boundingRect() const
{
    return m_bounds;
}

void ZVElementItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    if (!m_element)
        return;
    ++m_paintCount;
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    // Drawn off screen, all of the element is wanted.
    m_pictures->paint(*painter, *m_element, m_bounds, widget ? widget->rect() : QRect());
    TextEditingOverlay::paint(*painter, *m_element);
    if (!m_inert) {
        // The zoom, whatever the element's turn: the knobs keep their screen size.
        const QTransform& world = painter->worldTransform();
        SelectionPainter::paint(*painter, *m_element, std::hypot(world.m11(), world.m12()),
                                exposedReach(option, m_bounds));
    }
}

} // namespace ql
