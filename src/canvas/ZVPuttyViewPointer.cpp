// The element under the pointer: what a press reaches, its selection state
// and handles, the press, drag and release that move it, the double-click
// road into its content, the ruler echo while it moves and its menu
// validation.
#include "canvas/ZVPuttyView.h"

#include "canvas/CanvasEvent.h"
#include "canvas/CanvasHost.h"
#include "canvas/MoveBatch.h"
#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVHandleView.h"
#include "canvas/ZVLinkTextView.h"
#include "canvas/ZVRotationHandleView.h"
#include "canvas/gestures/CropPanGesture.h"
#include "canvas/gestures/CameraOrbitGesture.h"
#include "canvas/gestures/MoveGesture.h"
#include "content/ZV3DTextView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"

#include <array>

namespace {

constexpr int kHandMode = 1;
constexpr int kZoomMode = 2;
// Past this many characters text cannot become 3D text, a shape or path text.
constexpr int kMax3DTextLength = 100;
constexpr int kMaxShapeTextLength = 50;
constexpr int kMaxPathTextLength = 100;

// In crop mode a drag pans the picture inside the element instead of moving
// it; the rulers still echo the element from press to release, and a double
// click still opens it.
class CropPan : public ql::Gesture {
public:
    explicit CropPan(ZVPuttyView& element) : m_element(&element), m_pan(element) {}
    void press(const ql::CanvasEvent& event) override
    {
        m_element->startMovePuttyViewOrigin(event.location);
        // The pan keeps its own (transformed) start as the last drag location.
        m_pan.press(event.location);
    }
    void drag(const ql::CanvasEvent& event) override { m_pan.drag(event.location); }
    void release(const ql::CanvasEvent& event) override
    {
        m_pan.release();
        if (!m_element)
            return;
        m_element->endMovePuttyViewOrigin();
        if (event.clickCount == 2)
            m_element->openForEditing();
    }

private:
    QPointer<ZVPuttyView> m_element;
    ql::CropPanGesture m_pan;
};

ql::CanvasHost* hostOf(const ZVPuttyView& element)
{
    const ZVCanvasView* page = element.canvas();
    return page ? page->canvasHost() : nullptr;
}

} // namespace

// Selection state ---------------------------------------------------------------

void ZVPuttyView::setIsActive(bool active)
{
    if (active == m_isActive)
        return;
    changeValue(QStringLiteral("isActive"), m_isActive, active);
    if (ZVCanvasView* page = canvas())
        page->endElementDrag();
    ql::CanvasHost* host = hostOf(*this);
    if (active && host)
        host->makeElementFirstResponder(this);
    if (!active && m_cropMode)
        setCropMode(false);
    setHandleStyle();
    // Whatever gesture changed the selection, the inspectors follow it.
    if (ZVCanvasView* page = canvas())
        page->puttyViewActiveChanged(this, active);
}

void ZVPuttyView::setIsHighlighted(bool highlighted)
{
    if (highlighted == m_isHighlighted)
        return;
    changeValue(QStringLiteral("isHighlighted"), m_isHighlighted, highlighted);
    setHandleStyle();
}

void ZVPuttyView::setIsMoving(bool moving)
{
    if (moving != m_isMoving)
        changeValue(QStringLiteral("isMoving"), m_isMoving, moving);
}

void ZVPuttyView::setIsRotating(bool rotating)
{
    if (rotating != m_isRotating)
        changeValue(QStringLiteral("isRotating"), m_isRotating, rotating);
}

void ZVPuttyView::ensureHandles() const
{
    if (!m_handles.empty())
        return;
    auto& self = const_cast<ZVPuttyView&>(*this);
    for (int position = ZVHandleView::TopLeft; position <= ZVHandleView::BottomRight; ++position) {
        auto handle = std::make_unique<ZVHandleView>(self, position);
        handle->setAlphaValue(m_handleAlpha);
        handle->setHidden(m_handlesHidden);
        m_handles.push_back(std::move(handle));
    }
}

ZVLinkTextView* ZVPuttyView::linkTextView() const
{
    if (!m_linkTextView) {
        m_linkTextView = std::make_unique<ZVLinkTextView>(const_cast<ZVPuttyView*>(this));
        m_linkTextView->setAlphaValue(badgeAlpha());
    }
    return m_linkTextView.get();
}

QList<ZVHandleView*> ZVPuttyView::handles() const
{
    ensureHandles();
    QList<ZVHandleView*> list;
    for (const auto& handle : m_handles)
        list.append(handle.get());
    return list;
}

double ZVPuttyView::badgeAlpha() const
{
    return m_isActive ? 0.85 : m_isHighlighted ? 0.2 : 0.0;
}

void ZVPuttyView::setHandleStyle()
{
    // Handles belong to the selection alone: faint ones on the other elements
    // of the layer read as a selection. The link badge stays faintly shown on
    // them, since it tells a box whose text overflows.
    m_handleAlpha = m_isActive ? 0.85 : 0.0;
    for (const auto& handle : m_handles)
        handle->setAlphaValue(m_handleAlpha);
    if (m_linkTextView)
        m_linkTextView->setAlphaValue(badgeAlpha());
}

void ZVPuttyView::hideHandles()
{
    m_handlesHidden = true;
    for (const auto& handle : m_handles)
        handle->setHidden(true);
    willChangeValueForKey(QStringLiteral("handles"));
    didChangeValueForKey(QStringLiteral("handles"));
}

void ZVPuttyView::showHandles()
{
    m_handlesHidden = false;
    for (const auto& handle : m_handles)
        handle->setHidden(false);
    willChangeValueForKey(QStringLiteral("handles"));
    didChangeValueForKey(QStringLiteral("handles"));
}

void ZVPuttyView::setNeedsLayout()
{
    for (const auto& handle : m_handles)
        handle->setNeedsLayout();
    // A frame no wider or higher than its margins leaves the parts as they were.
    if (m_frame.width() > 2 * kMargin && m_frame.height() > 2 * kMargin)
        layout();
}

// Hit testing -------------------------------------------------------------------

ZVPuttyView::Hit ZVPuttyView::handleAt(QPointF pagePoint) const
{
    const QPointF local = mapFromPage(pagePoint);
    if (!bounds().contains(local))
        return {};
    // Later handles lie above earlier ones; a rotation handle above its handle.
    ensureHandles();
    for (auto it = m_handles.crbegin(); it != m_handles.crend(); ++it) {
        ZVHandleView* handle = it->get();
        if (handle->isHidden() || !handle->frame().contains(local))
            continue;
        const QPointF inHandle = local - handle->frame().topLeft();
        if (handle->rotationHandle()->frame().contains(inHandle))
            return {Hit::Kind::RotationHandle, handle};
        return {Hit::Kind::Handle, handle};
    }
    return {};
}

ZVPuttyView::Hit ZVPuttyView::baseHitTest(QPointF pagePoint) const
{
    const QPointF local = mapFromPage(pagePoint);
    if (!bounds().contains(local))
        return {};
    // The badge lies over the handles and the content's edge.
    if (ZVLinkTextView* badge = linkTextView(); !badge->isHidden() && badge->frame().contains(local))
        return {Hit::Kind::LinkBadge, nullptr};
    if (const Hit handle = handleAt(pagePoint))
        return handle;
    if (m_contentView && m_contentView->frame().contains(local))
        return {Hit::Kind::Content, nullptr};
    // The margin, the background and the reflection take no clicks.
    return {};
}

ZVPuttyView::Hit ZVPuttyView::hitTest(QPointF pagePoint, int modifiers) const
{
    const ZVCanvasView* page = canvas();
    if (!page || m_layoutLayerGroup != page->currentLayoutLayer())
        return {};
    const int mode = page->drawingMode().toInt();
    if (mode == kHandMode || mode == kZoomMode)
        return {};
    if (PageDocument* document = page->document()) {
        const ZVCanvasView* shown = document->shownPage();
        if (shown && shown != page)
            return {};
    }
    // A Command press on a selected element goes to the page.
    if ((modifiers & ql::CanvasEvent::Command) && m_isActive)
        return {};
    const Hit hit = baseHitTest(pagePoint);
    if (!hit)
        return {};
    // The handles of a selected element win over an element above it.
    if (!m_isActive && !m_group) {
        for (const ZVPuttyView* other : page->selectedViews()) {
            if (other != this && other->handleAt(pagePoint))
                return {};
        }
    }
    return hit;
}

QList<ZVPuttyView*> ZVPuttyView::viewsAtPoint(QPointF pagePoint) const
{
    QList<ZVPuttyView*> found;
    if (const ZVCanvasView* page = canvas()) {
        for (ZVPuttyView* element : page->puttyViews()) {
            if (element->containsPagePoint(pagePoint))
                found.append(element);
        }
    }
    return found;
}

// Pointer -----------------------------------------------------------------------

void ZVPuttyView::applyPressSelection()
{
    ZVCanvasView* page = canvas();
    if (page && page->shiftKeyPressed()) {
        setIsActive(!m_isActive);
    } else if (!m_isActive) {
        if (page)
            page->highlightPuttyViews();
        setIsActive(true);
    }
}

void ZVPuttyView::mouseDown(const ql::CanvasEvent& event)
{
    ql::NotificationCenter::defaultCenter().post(QStringLiteral("disableBackgroundColorPicker"), this);
    if (ZVCanvasView* page = canvas())
        page->setModifierFlags(event.modifiers);
    applyPressSelection();
    m_gesture.reset();
    // A Control (right) press opens the element's context menu and moves nothing.
    if (event.button == ql::CanvasEvent::Button::Right || event.has(ql::CanvasEvent::Control)) {
        if (ql::CanvasHost* host = hostOf(*this))
            host->popUpContextMenu(menuForEvent(), event.location);
        return;
    }
    if (ql::CameraOrbitGesture::cameraControlled(*this))
        m_gesture = std::make_unique<ql::CameraOrbitGesture>(*this);
    else if (ql::CropPanGesture::appliesTo(*this))
        m_gesture = std::make_unique<CropPan>(*this);
    else
        m_gesture = std::make_unique<ql::MoveGesture>(*this);
    m_gesture->press(event);
}

void ZVPuttyView::mouseDownOnHandle()
{
    applyPressSelection();
    if (ZVCanvasView* page = canvas()) {
        const ql::MoveBatch batch(*page);
        for (ZVPuttyView* element : page->activeViews())
            element->startMovePuttyViewOrigin(QPointF(0, 0));
    }
}

void ZVPuttyView::mouseDragged(const ql::CanvasEvent& event)
{
    if (ZVCanvasView* page = canvas())
        page->setModifierFlags(event.modifiers);
    if (m_gesture)
        m_gesture->drag(event);
}

void ZVPuttyView::mouseUp(const ql::CanvasEvent& event)
{
    if (ZVCanvasView* page = canvas())
        page->setModifierFlags(event.modifiers);
    if (std::unique_ptr<ql::Gesture> gesture = std::move(m_gesture))
        gesture->release(event);
}

void ZVPuttyView::startMovePuttyViewOrigin(QPointF pagePoint)
{
    m_lastDragLocation = pagePoint;
    beginEchoingMoveToRulers(realFrame());
    if (ZVCanvasView* page = canvas())
        page->puttyViewWasTouched(this);
}

void ZVPuttyView::movePuttyViewOrigin(QPointF displacement, bool notify)
{
    setNewFrame(m_frame.topLeft() + displacement, notify);
    continueEchoingMoveToRulers(realFrame());
    if (!notify)
        return;
    if (ZVCanvasView* page = canvas(); page && page->activeViews().size() == 1)
        snap();
}

void ZVPuttyView::endMovePuttyViewOrigin()
{
    if (ZVCanvasView* page = canvas())
        page->puttyViewWasUnTouched(this);
    stopEchoingMoveToRulers();
}

void ZVPuttyView::openForEditing()
{
    ZVCanvasView* page = canvas();
    switch (m_contentViewType) {
    case TextContent:
        // The box and the rest of its chain on this page.
        if (auto* text = qobject_cast<ZVTextView*>(m_contentView))
            text->beginEditingChain();
        break;
    case VectorContent:
        applyToDrawingView();
        break;
    case ImageContent:
        if (auto* image = qobject_cast<ZVImageView*>(m_contentView); image && !image->isVector() && page)
            page->cropImage();
        break;
    case Text3DContent:
        if (auto* text3D = qobject_cast<ZV3DTextView*>(m_contentView)) {
            text3D->setAllowsCameraControl(true);
            text3D->setEditMode(true);
        }
        break;
    default:
        break;
    }
    if (ql::CanvasHost* host = hostOf(*this))
        host->changeInspectorView(2);
}

void ZVPuttyView::applyToDrawingView()
{
    if (ZVCanvasView* page = canvas())
        page->editShapeOf(this);
}

// Ruler echo --------------------------------------------------------------------

void ZVPuttyView::echoRulerLines(const QRectF& from, const QRectF& to)
{
    ql::CanvasHost* host = hostOf(*this);
    if (!host)
        return;
    const auto edges = [](const QRectF& rect, bool horizontal) -> std::array<double, 3> {
        if (rect.isNull())
            return {-1, -1, -1};
        return horizontal ? std::array<double, 3> {rect.left(), rect.center().x(), rect.right()}
                          : std::array<double, 3> {rect.top(), rect.center().y(), rect.bottom()};
    };
    for (const bool horizontal : {true, false}) {
        const auto old = edges(from, horizontal);
        const auto now = edges(to, horizontal);
        for (int i = 0; i < 3; ++i)
            host->moveRulerline(horizontal, old[i], now[i]);
    }
}

void ZVPuttyView::beginEchoingMoveToRulers(const QRectF& rect)
{
    if (m_isMoving)
        return;
    echoRulerLines(QRectF(), rect);
    m_rulerEchoedBounds = rect;
}

void ZVPuttyView::continueEchoingMoveToRulers(const QRectF& rect)
{
    if (m_rulerEchoedBounds.isNull())
        return;
    echoRulerLines(m_rulerEchoedBounds, rect);
    m_rulerEchoedBounds = rect;
}

void ZVPuttyView::stopEchoingMoveToRulers()
{
    if (m_rulerEchoedBounds.isNull())
        return;
    echoRulerLines(m_rulerEchoedBounds, QRectF());
    m_rulerEchoedBounds = QRectF();
}

// Menus -------------------------------------------------------------------------

bool ZVPuttyView::validateMenuItem(const QString& action) const
{
    const auto* text = qobject_cast<const ZVTextView*>(m_contentView);
    const qsizetype length = m_contentViewType == TextContent && text ? text->string().size() : 0;
    const bool isText = m_contentViewType == TextContent;
    if (action == QLatin1String("convertTextTo3DText:")) {
        const ZVCanvasView* page = canvas();
        return !isText || (length <= kMax3DTextLength && page && page->valueForKey(u"is3DTextEligible").toBool());
    }
    if (action == QLatin1String("convertTextToShape:"))
        return !isText || length <= kMaxShapeTextLength;
    if (action == QLatin1String("convertTextToTextOnPath:"))
        return !isText || length <= kMaxPathTextLength;
    if (action == QLatin1String("editItem:")) {
        const auto* image = qobject_cast<const ZVImageView*>(m_contentView);
        return m_contentViewType != ImageContent || !image || !image->isVector();
    }
    return true;
}
