// The flips of image elements: the picture mirrored at its own pixels, the
// crop window with it, as one undo step.
#include "canvas/ZVPuttyView.h"

#include "design/ZVDesignHelper.h"
#include "content/ZVImageView.h"
#include "platform/undo/StateUndo.h"

namespace {

// What a flip turns over: the picture shown, the original adjustments start
// from, the one crops cut from, the mask, and where the crop window lies.
struct FlippedPicture {
    ql::Image picture;
    ql::Image original;
    ql::Image forCropping;
    ql::Image mask;
    QPointF offsets;
};

FlippedPicture flippedPictureOf(ZVPuttyView& element)
{
    const auto* content = qobject_cast<const ZVImageView*>(element.contentView());
    if (!content)
        return {};
    return {content->picture(), content->originalImage(), content->originalImageForCropping(), content->imageMask(),
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
    content->setImageMask(state.mask);
    // The pictures as they were, not as the adjustments would make them anew.
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

bool ZVPuttyView::flipHorizontal()
{
    return flip(true, nullptr);
}

bool ZVPuttyView::flipVertical()
{
    return flip(false, nullptr);
}

ql::MirroredFiles ZVPuttyView::filesToMirror(bool horizontally) const
{
    const auto* image = qobject_cast<const ZVImageView*>(m_contentView);
    if (m_contentViewType != ImageContent || !image || m_isLocked)
        return {};
    return ql::ZVDesignHelper::filesToMirror(image, horizontally);
}

bool ZVPuttyView::flip(bool horizontally, const ql::MirroredFiles* ready)
{
    auto* image = qobject_cast<ZVImageView*>(m_contentView);
    if (m_contentViewType != ImageContent || !image || m_isLocked)
        return true;
    ql::UndoManager* manager = undoManager();
    const FlippedPicture before = flippedPictureOf(*this);
    {
        // The flip's own key changes are this step's, not steps of their own.
        ql::UndoRegistrationBlocker quiet(manager);
        const QPointF offsets = mirroredOffsets(*image, horizontally);
        bool flipped = false;
        {
            // Shown as reading the document back shows it: the adjustments
            // and the mask made anew, once, from the mirrored original and
            // mask, not the shown picture mirrored (an effect need not look
            // the same mirrored).
            const ZVImageView::HeldLevels once(*image);
            flipped = horizontally ? ql::ZVDesignHelper::flipImageHorizontally(image, ready)
                                   : ql::ZVDesignHelper::flipImageVertically(image, ready);
            if (flipped)
                image->setLevels();
        }
        if (!flipped)
            return false;
        if (image->cropMode())
            placeCropWindow(*this, *image, offsets);
    }
    ql::registerStateRestore(manager, *this, before,
                             ql::StateRestore<ZVPuttyView, FlippedPicture> {flippedPictureOf, restoreFlippedPicture});
    setReflection();
    return true;
}
