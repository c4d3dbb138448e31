// The element's watch over its own settings: the generic undo of each change
// and the refresh the change needs; and the undo steps of moves, resizes and
// rotations, which the generic undo leaves out.
#include "canvas/ZVPuttyView.h"

#include "design/ZVDesignHelper.h"
#include "canvas/ZVCanvasView.h"
#include "content/ZVImageView.h"
#include "platform/runtime/Deferred.h"
#include "platform/undo/KeyPathUndo.h"

const QStringList& ZVPuttyView::observedKeyPaths()
{
    static const QStringList paths = QStringLiteral(
        "frame frameCenterRotation keepAspectRatio shadowEnabled shadowOffset shadowBlurRadius shadowOpacity "
        "shadowAngle shadowColor borderEnabled borderColor borderType borderWidth borderRadius borderOpacity "
        "borderStyle layerOpacity innerShadowEnabled innerShadowOffset innerShadowBlurRadius innerShadowOpacity "
        "innerShadowAngle innerShadowColor reflectionEnabled reflectionOpacity reflectionHeight imageMode cropScale "
        "causesWrap wrapMargins wrapType").split(QLatin1Char(' '));
    return paths;
}

void ZVPuttyView::startObserving()
{
    if (m_isObserving)
        return;
    m_isObserving = true;
    observeOwnKeyPaths(observedKeyPaths(), [](ql::KVObject& self, const ql::KeyValueChange& change) {
        auto& element = static_cast<ZVPuttyView&>(self);
        // Frames and rotations have undo steps of their own; the aspect flag has none.
        static const QStringList ownUndo {QStringLiteral("frame"), QStringLiteral("frameCenterRotation"),
                                          QStringLiteral("keepAspectRatio")};
        if (!ownUndo.contains(change.keyPath))
            ql::registerKeyPathUndo(element.undoManager(), &element, change.keyPath, change.oldValue);
        element.onObservedChange(change.keyPath);
    });
}

void ZVPuttyView::onObservedChange(const QString& keyPath)
{
    if (keyPath == QLatin1String("keepAspectRatio")) {
        ql::ZVDesignHelper::sharedInstance().setKeepAspectRatio(m_keepAspectRatio);
    } else if (keyPath.startsWith(QLatin1String("innerShadow"))) {
        setInnerShadow();
    } else if (keyPath.startsWith(QLatin1String("shadow"))) {
        setShadow();
    } else if (keyPath.startsWith(QLatin1String("border"))) {
        setBorder();
    } else if (keyPath == QLatin1String("layerOpacity")) {
        setOpacity();
    } else if (keyPath.startsWith(QLatin1String("reflection"))) {
        setReflection();
    } else if (keyPath == QLatin1String("imageMode")) {
        onImageModeChanged();
    } else if (keyPath == QLatin1String("cropScale")) {
        if (m_contentViewType == ImageContent && m_cropMode)
            applyCropInRect(m_cropRect);
    } else if (keyPath == QLatin1String("causesWrap") || keyPath.startsWith(QLatin1String("wrap"))) {
        if (ZVCanvasView* page = canvas())
            page->setClippingRects();
    }
}

void ZVPuttyView::onImageModeChanged()
{
    auto* image = qobject_cast<ZVImageView*>(m_contentView);
    if (m_contentViewType != ImageContent || !image)
        return;
    image->setImageMode(m_imageMode);
    setCropMode(false);
    setValueForKey(u"cropEligible", false);
    if (m_imageMode.toInt() == 3) {
        setCropMode(true);
        setValueForKey(u"cropEligible", true);
        const QSizeF size = image->bounds().size();
        applyCropInRect(QRectF(m_imageXOffset, m_imageYOffset, size.width(), size.height()));
    }
}

void ZVPuttyView::registerOnUndo(std::function<void()> step)
{
    ql::UndoManager* manager = undoManager();
    if (!manager || !manager->isUndoRegistrationEnabled())
        return;
    // Elements moved together record one step for them all.
    if (ZVCanvasView* page = canvas(); page->inMoveBatch())
        page->joinMoveUndo(this, std::move(step));
    else
        manager->registerUndo(this, std::move(step));
}

// Moves ---------------------------------------------------------------------

void ZVPuttyView::setNewFrame(QPointF origin, bool notify)
{
    setFrame(QRectF(origin, m_frame.size()));
    m_lastFrame = m_frame;
    applyCrop();
    if (notify) {
        if (ZVCanvasView* page = canvas())
            page->puttyViewWasMoved(this);
    }
}

void ZVPuttyView::registerMoveUndo()
{
    registerMoveUndo(m_frame.topLeft());
}

void ZVPuttyView::registerMoveUndo(QPointF origin)
{
    registerOnUndo([this, origin] { undoMove(origin); });
}

// The guides a nudge, undo or redo showed go a second later.
void ZVPuttyView::clearGuidesLater()
{
    if (ZVCanvasView* page = canvas())
        page->clearGuidesLater();
}

void ZVPuttyView::moveFrame(int direction)
{
    static const QPointF steps[] = {{0, -1}, {-1, 0}, {1, 0}, {0, 1}};
    // A locked element refuses a nudge as it refuses a drag.
    if (direction < 0 || direction > 3 || m_isLocked)
        return;
    registerMoveUndo();
    setNewFrame(m_frame.topLeft() + steps[direction]);
    clearGuidesLater();
}

void ZVPuttyView::undoMove(QPointF origin)
{
    const QPointF current = m_frame.topLeft();
    registerOnUndo([this, current] { redoMove(current); });
    setNewFrame(origin);
    clearGuidesLater();
}

void ZVPuttyView::redoMove(QPointF origin)
{
    registerMoveUndo();
    setNewFrame(origin);
    clearGuidesLater();
}

// Resizes -------------------------------------------------------------------

void ZVPuttyView::setNewPuttyViewFrame(const QRectF& frame, bool withUndo)
{
    if (withUndo)
        registerResizeUndo();
    setFrame(frame);
    applyCrop();
    setNeedsLayout();
    if (ZVCanvasView* page = canvas())
        page->puttyViewWasResized(this);
    // The content settles into its new size before its shadow is rebuilt.
    // Settling draws the element again only where it changes something: a
    // resize lays its parts out at once, and thousands of boxes resized
    // together would otherwise all be drawn a second time.
    ql::after(100, this, [this] {
        if (m_contentView)
            m_contentView->layoutIfNeeded();
        const bool rounded = m_contentView && m_contentView->layerCornerRadius() > 0;
        if (m_shadowSupported == rounded)
            setValueForKey(u"shadowSupported", !rounded);
    });
}

void ZVPuttyView::registerResizeUndo()
{
    registerResizeUndo(m_frame);
}

void ZVPuttyView::registerResizeUndo(const QRectF& frame)
{
    registerOnUndo([this, frame] { undoResize(frame); });
}

void ZVPuttyView::undoResize(const QRectF& frame)
{
    const QRectF current = m_frame;
    registerOnUndo([this, current] { redoResize(current); });
    setNewPuttyViewFrame(frame);
    clearGuidesLater();
}

void ZVPuttyView::redoResize(const QRectF& frame)
{
    registerResizeUndo();
    setNewPuttyViewFrame(frame);
    clearGuidesLater();
}

// Rotations -----------------------------------------------------------------

void ZVPuttyView::setRotation(double degrees)
{
    if (m_cropMode)
        return;
    continueEchoingMoveToRulers(realFrame());
    setFrameCenterRotation(double(float(degrees)));
    if (ZVCanvasView* page = canvas())
        page->puttyViewWasRotated(this);
}

void ZVPuttyView::registerRotateUndo()
{
    registerRotateUndo(m_rotation, m_frame.topLeft());
}

void ZVPuttyView::registerRotateUndo(double degrees, QPointF origin)
{
    registerOnUndo([this, degrees, origin] { undoRotate(degrees, origin); });
}

// A turn about the centre moves the frame origin; turning back by arithmetic
// could miss the old origin by a rounding step, so the origin is put back too.
void ZVPuttyView::undoRotate(double degrees, QPointF origin)
{
    const double current = m_rotation;
    const QPointF currentOrigin = m_frame.topLeft();
    registerOnUndo([this, current, currentOrigin] { redoRotate(current, currentOrigin); });
    setRotation(degrees);
    if (!m_cropMode && m_frame.topLeft() != origin)
        setFrame(QRectF(origin, m_frame.size()));
}

void ZVPuttyView::redoRotate(double degrees, QPointF origin)
{
    registerRotateUndo();
    setRotation(degrees);
    if (!m_cropMode && m_frame.topLeft() != origin)
        setFrame(QRectF(origin, m_frame.size()));
}
