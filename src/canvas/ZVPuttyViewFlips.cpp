// The flips of image elements: the picture mirrored at its own pixels, the
// crop window with it, as one undo step.
#include "canvas/ZVPuttyView.h"

#include "design/ZVDesignHelper.h"
#include "content/ZVImageView.h"
#include "platform/undo/StateUndo.h"

namespace {

// What a flip turns over: the picture shown, the original adjustments start
// from, the one crops cut from, and where the crop window lies on it.
struct FlippedPicture {
    ql::Image picture;
    ql::Image original;
    ql::Image forCropping;
    QPointF offsets;
};

FlippedPicture flippedPictureOf(ZVPuttyView& element)
{
    const auto* content = qobject_cast<const ZVImageView*>(element.contentView());
    if (!content)
        return {};
    return {content->picture(), content->originalImage(), content->originalImageForCropping(),
            QPointF(element.imageXOffset(), element.imageYOffset())};
}

// Shows the crop window at `offsets` when the picture is shown cropped.
void placeCropWindow(ZVPuttyView& element, const ZVImageView& content, QPointF offsets)
{
    element.setValueForKey(u"imageXOffset", offsets.x());
    element.setValueForKey(u"imageYOffset", offsets.y());
    if (content.cropMode())
        element.applyCropInRect(QRectF(offsets, content.bounds().size()));
}

void restoreFlippedPicture(ZVPuttyView& element, const FlippedPicture& state)
{
    auto* content = qobject_cast<ZVImageView*>(element.contentView());
    if (!content)
        return;
    content->setOriginalImage(state.original);
    content->setOriginalImageForCropping(state.forCropping);
    content->setImage(state.picture);
    placeCropWindow(element, *content, state.offsets);
    element.setReflection();
}

// The offsets that show the mirror image of the crop window on the mirrored
// picture. The window lies at (−x, y) on the picture, y from its bottom.
QPointF mirroredOffsets(const ZVImageView& content, bool horizontally)
{
    const QSizeF picture = content.originalImageForCropping().size();
    const QRectF window = content.cropSourceRect();
    if (horizontally)
        return QPointF(window.x() + window.width() - picture.width(), window.y());
    return QPointF(-window.x(), picture.height() - window.y() - window.height());
}

} // namespace

void ZVPuttyView::flipHorizontal()
{
    flip(true);
}

void ZVPuttyView::flipVertical()
{
    flip(false);
}

void ZVPuttyView::flip(bool horizontally)
{
    auto* image = qobject_cast<ZVImageView*>(m_contentView);
    if (m_contentViewType != ImageContent || !image || m_isLocked)
        return;
    ql::UndoManager* manager = undoManager();
    ql::registerStateRestore(manager, *this, flippedPictureOf(*this),
                             ql::StateRestore<ZVPuttyView, FlippedPicture> {flippedPictureOf, restoreFlippedPicture});
    {
        // The flip's own key changes are this step's, not steps of their own.
        ql::UndoRegistrationBlocker quiet(manager);
        const QPointF offsets = mirroredOffsets(*image, horizontally);
        if (horizontally)
            ql::ZVDesignHelper::flipImageHorizontally(image);
        else
            ql::ZVDesignHelper::flipImageVertically(image);
        if (image->cropMode())
            placeCropWindow(*this, *image, offsets);
    }
    setReflection();
}
