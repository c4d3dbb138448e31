// The page's pointer and keys: the gesture of each drawing mode on the empty
// page, the band's selection, the context menu, keys, tool cursors, and what the
// elements report while they are worked on.
#include "canvas/ZVCanvasView.h"

#include "canvas/CanvasEvent.h"
#include "canvas/CanvasHost.h"
#include "canvas/MoveBatch.h"
#include "canvas/SelectionBatch.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/gestures/HandScrollGesture.h"
#include "canvas/gestures/RubberBandGesture.h"
#include "platform/runtime/NotificationCenter.h"

#include <QCoreApplication>

void ZVCanvasView::setModifierFlags(int modifiers)
{
    const bool shift = (modifiers & ql::CanvasEvent::Shift) != 0;
    const bool option = (modifiers & ql::CanvasEvent::Option) != 0;
    if (shift != m_shiftKeyPressed)
        changeValue(QStringLiteral("shiftKeyPressed"), m_shiftKeyPressed, shift);
    if (option != m_optionKeyPressed)
        changeValue(QStringLiteral("optionKeyPressed"), m_optionKeyPressed, option);
}

void ZVCanvasView::setIsMoving(bool moving)
{
    if (moving != m_isMoving)
        changeValue(QStringLiteral("isMoving"), m_isMoving, moving);
}

ZVPuttyView* ZVCanvasView::firstActiveView() const
{
    return m_firstActiveView.data();
}

void ZVCanvasView::setFirstActiveView(ZVPuttyView* element)
{
    m_firstActiveView = element;
}

void ZVCanvasView::mouseDown(const ql::CanvasEvent* event)
{
    if (ql::CanvasHost* host = canvasHost())
        host->setNeedsDisplay();
    ql::CanvasEvent press;
    if (event) {
        press = *event;
        setModifierFlags(event->modifiers);
    }
    m_selectionViewOrigin = press.location;
    ql::NotificationCenter::defaultCenter().post(QStringLiteral("disableBackgroundColorPicker"), this);
    switch (m_drawingMode.toInt()) {
    case HandMode: m_gesture = std::make_unique<ql::HandScrollGesture>(*this); break;
    case ZoomMode: m_gesture = std::make_unique<ql::ZoomClickGesture>(*this); break;
    case SelectMode: m_gesture = std::make_unique<ql::RubberBandGesture>(*this, true); break;
    // Drawing tools draw on their own surface; the band only shows.
    default: m_gesture = std::make_unique<ql::RubberBandGesture>(*this, false); break;
    }
    m_gesture->press(press);
    if (event && (event->button == ql::CanvasEvent::Button::Right || event->has(ql::CanvasEvent::Control))) {
        if (ql::CanvasHost* host = canvasHost())
            host->popUpContextMenu(menuForEvent(*event), event->location);
    }
}

void ZVCanvasView::mouseDragged(const ql::CanvasEvent& event)
{
    setModifierFlags(event.modifiers);
    if (m_gesture)
        m_gesture->drag(event);
}

void ZVCanvasView::mouseUp(const ql::CanvasEvent& event)
{
    setModifierFlags(event.modifiers);
    // The gesture goes first: what it calls may start another.
    if (std::unique_ptr<ql::Gesture> gesture = std::move(m_gesture))
        gesture->release(event);
    else
        setSelectionViewHidden(true);
}

void ZVCanvasView::selectPuttyViewsUnderSelectionView()
{
    const ZVPuttyViewGroup* layer = currentLayoutLayer();
    if (!layer)
        return;
    const ql::SelectionBatch batch(*this);
    for (ZVPuttyView* element : layer->puttyViewsObjects(m_puttyViews)) {
        if (element->contentFrame().intersects(m_selectionViewFrame))
            element->setIsActive(true);
    }
}

ql::CanvasMenu ZVCanvasView::menuForEvent(const ql::CanvasEvent&)
{
    const QString paste = QStringLiteral("paste:");
    return {QStringLiteral("Contextual Menu"),
            {{QCoreApplication::translate("ZVCanvasView", "Paste"), paste, validateMenuItem(paste, clipboardContents())}}};
}

bool ZVCanvasView::keyDown(const ql::CanvasEvent& event)
{
    // Arrow keys: the active elements move by one point, else the view
    // scrolls by one point.
    static const struct {
        int key;
        int direction;
        QPointF scroll;
    } arrows[] = {{Qt::Key_Up, 0, {0, -1}}, {Qt::Key_Left, 1, {-1, 0}}, {Qt::Key_Right, 2, {1, 0}}, {Qt::Key_Down, 3, {0, 1}}};
    if (event.keyCode == Qt::Key_Return || event.keyCode == Qt::Key_Enter) {
        setDrawingMode(SelectMode);
        return true;
    }
    if (event.keyCode == Qt::Key_Escape) {
        setDrawingMode(SelectMode);
        clearPuttyViews();
        return true;
    }
    for (const auto& arrow : arrows) {
        if (event.keyCode != arrow.key)
            continue;
        const QList<ZVPuttyView*> active = activeViews();
        if (active.isEmpty()) {
            if (ql::CanvasHost* host = canvasHost())
                host->scrollToPoint(host->visibleRect().topLeft() + arrow.scroll);
        }
        const ql::MoveBatch batch(*this);
        for (ZVPuttyView* element : active)
            element->moveFrame(arrow.direction);
        return true;
    }
    if (event.keyCode == Qt::Key_Delete || event.keyCode == Qt::Key_Backspace) {
        deleteActivePuttyViews();
        return true;
    }
    // Every other key is taken without effect.
    return true;
}

void ZVCanvasView::flagsChanged(int modifiers)
{
    setModifierFlags(modifiers);
    resetCursorRects();
}

void ZVCanvasView::resetCursorRects()
{
    ql::CanvasHost* host = canvasHost();
    if (!host)
        return;
    switch (m_drawingMode.toInt()) {
    case HandMode:
        host->setCanvasCursor(ql::CanvasCursor::standard(m_isMoving ? ql::CanvasCursor::Shape::ClosedHand
                                                                    : ql::CanvasCursor::Shape::OpenHand));
        break;
    case ZoomMode:
        host->setCanvasCursor(ql::CanvasCursor::named(m_optionKeyPressed ? QStringLiteral("zoomout")
                                                                          : QStringLiteral("zoomin"),
                                                      0.0, QPoint(0, 0)));
        qInfo("%s", m_optionKeyPressed ? "option key pressed" : "option key not pressed");
        break;
    default:
        // The pointer's own cursor (handles, crop) is the router's.
        break;
    }
}
