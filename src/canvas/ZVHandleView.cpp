#include "canvas/ZVHandleView.h"

#include "canvas/CanvasEvent.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/ZVRotationHandleView.h"
#include "canvas/gestures/ResizeGesture.h"

#include <QTransform>

ZVHandleView::ZVHandleView(ZVPuttyView& element, int position)
    : m_puttyView(&element), m_handlePosition(position), m_rotationHandle(std::make_unique<ZVRotationHandleView>(*this))
{
}

ZVHandleView::~ZVHandleView() = default;

ZVPuttyView* ZVHandleView::puttyView() const
{
    return m_puttyView.data();
}

void ZVHandleView::setNeedsLayout()
{
    // The square follows the element's size whenever it is asked for.
}

QRectF ZVHandleView::frame() const
{
    if (!m_puttyView)
        return {};
    const QSizeF size = m_puttyView->frame().size();
    const double w = size.width();
    const double h = size.height();
    static constexpr double kInset = 20.0;
    QPointF origin;
    switch (m_handlePosition) {
    case TopLeft: origin = {kInset, kInset}; break;
    case TopCentre: origin = {w / 2 - kInset, kInset}; break;
    case TopRight: origin = {w - 60, kInset}; break;
    case RightCentre: origin = {w - 60, h / 2 - kInset}; break;
    case LeftCentre: origin = {kInset, h / 2 - kInset}; break;
    case BottomLeft: origin = {kInset, h - 60}; break;
    case BottomCentre: origin = {w / 2 - kInset, h - 60}; break;
    case BottomRight: origin = {w - 60, h - 60}; break;
    default: break;
    }
    return QRectF(origin, QSizeF(kSize, kSize));
}

bool ZVHandleView::isValidHandle() const
{
    return m_puttyView && m_puttyView->handles().contains(const_cast<ZVHandleView*>(this));
}

QString ZVHandleView::cursorImageName(int position)
{
    switch (position) {
    case TopLeft:
    case BottomRight: return QStringLiteral("nwse");
    case TopCentre:
    case BottomCentre: return QStringLiteral("ns");
    case TopRight:
    case BottomLeft: return QStringLiteral("swne");
    default: return QStringLiteral("ew");
    }
}

ql::CanvasCursor ZVHandleView::cursorForHandle() const
{
    const double rotation = m_puttyView ? m_puttyView->frameCenterRotation() : 0.0;
    // Our rotation is clockwise on screen, as the cursor picture turns.
    return ql::CanvasCursor::named(cursorImageName(m_handlePosition), rotation, QPoint(7, 7));
}

QPointF ZVHandleView::pointerMeasure(QPointF pageDelta, double degrees)
{
    QTransform unturn;
    unturn.rotate(-degrees);
    const QPointF local = unturn.map(pageDelta);
    // Upward is positive, as the window's axis runs.
    return QPointF(local.x(), -local.y());
}

QRectF ZVHandleView::candidateFrame(int position, const QRectF& f, const QRectF& c, double dx, double dy)
{
    const double k = c.width() != 0 ? c.height() / c.width() : 0.0;
    const auto outset = [](const QRectF& content) {
        return content.adjusted(-ZVPuttyView::kMargin, -ZVPuttyView::kMargin, ZVPuttyView::kMargin,
                                ZVPuttyView::kMargin);
    };
    switch (position) {
    case TopLeft: return outset(QRectF(c.x() + dx, c.y() + dx * k, c.width() - dx, c.height() - dx * k));
    case TopCentre: return QRectF(f.x(), f.y() - dy, f.width(), f.height() + dy);
    case TopRight: return outset(QRectF(c.x(), c.y() - dx * k, c.width() + dx, c.height() + dx * k));
    case RightCentre: return QRectF(f.x(), f.y(), f.width() + dx, f.height());
    case LeftCentre: return QRectF(f.x() + dx, f.y(), f.width() - dx, f.height());
    case BottomLeft: return outset(QRectF(c.x() + dx, c.y(), c.width() - dx, c.height() - dx * k));
    case BottomCentre: return QRectF(f.x(), f.y(), f.width(), f.height() - dy);
    case BottomRight: return outset(QRectF(c.x(), c.y(), c.width() + dx, c.height() + dx * k));
    default: return f;
    }
}

void ZVHandleView::mouseDown(const ql::CanvasEvent& event)
{
    m_gesture.reset();
    m_forwarded = false;
    if (!m_puttyView)
        return;
    // A handle of an inactive element, or a stale one, is the element's.
    if (!m_puttyView->isActive() || !isValidHandle()) {
        m_forwarded = true;
        m_puttyView->mouseDown(event);
        return;
    }
    auto resize = std::make_unique<ql::ResizeGesture>(*this);
    resize->press(event);
    m_gesture = std::move(resize);
}

void ZVHandleView::mouseDragged(const ql::CanvasEvent& event)
{
    if (!m_puttyView)
        return;
    if (m_forwarded || !m_gesture || m_puttyView->isLocked() || m_puttyView->valueForKey(u"isCropping").toBool() ||
        !m_puttyView->isActive() || !isValidHandle()) {
        // Drags the resize cannot take go on to the element, which moves or
        // shows that it cannot.
        m_puttyView->mouseDragged(event);
        return;
    }
    m_gesture->drag(event);
}

void ZVHandleView::mouseUp(const ql::CanvasEvent& event)
{
    if (!m_puttyView)
        return;
    std::unique_ptr<ql::Gesture> gesture = std::move(m_gesture);
    if (m_forwarded || !gesture) {
        m_puttyView->mouseUp(event);
        return;
    }
    gesture->release(event);
}
