// Conversions of an element into one of another kind, which takes its place
// on the page: text into a picture, 3D text or a shape; a shape or 3D text
// into a picture. Pictures are rendered at 300 dots per inch. The new
// element keeps the frame and the turn and nothing else; the swap is one
// undoable step.
#include "canvas/ZVPuttyView.h"

#include "imaging/ImageBitmap.h"
#include "design/ZVDesignHelper.h"
#include "canvas/ZVCanvasView.h"
#include "content/ZV3DTextView.h"
#include "content/ZVTextView.h"
#include "content/text/FlowLayout.h"
#include "content/text/GlyphRunOutline.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/FontResolver.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFDrawable.h"
#include "shapes/df/QuartzPath.h"

#include <QPainter>
#include <QtDebug>
#include <algorithm>

namespace {

// 300 dots for every inch of 72 points.
constexpr double kConversionScale = 300.0 / 72.0;
// Text without one font of its own becomes a shape in the system font at this size.
constexpr double kShapeFontSize = 20.0;

// A picture `size` points large, a pixel a point, that `draw` paints in
// those points. A picture too large for one bitmap keeps its size in points
// with fewer pixels.
ql::Image render(QSizeF size, const std::function<void(QPainter&)>& draw)
{
    const double largest = ql::ZVDesignHelper::kLargestSnapshotSide;
    const double density = std::min(1.0, largest / std::max(size.width(), size.height()));
    QImage bitmap = ql::blankBitmap(size, density);
    if (bitmap.isNull())
        return {};
    {
        QPainter painter(&bitmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.scale(double(bitmap.width()) / size.width(), double(bitmap.height()) / size.height());
        draw(painter);
    }
    return ql::imageFromBitmap(bitmap, size);
}

} // namespace

ZVPuttyView* ZVPuttyView::replaceBy(std::unique_ptr<ZVPuttyView> replacement)
{
    ZVCanvasView* page = canvas();
    if (!page || !replacement)
        return nullptr;
    // The stored frame and the turn about its origin: the new element lies
    // exactly where this one does.
    replacement->setFrame(m_frame);
    replacement->setFrameRotation(m_rotation);
    ZVPuttyView* added = replacement.release();
    page->deletePuttyView(this);
    page->addPuttyView(added);
    return added;
}

void ZVPuttyView::convertTextToImage()
{
    auto* text = qobject_cast<ZVTextView*>(m_contentView);
    if (m_contentViewType != TextContent || !text)
        return;
    const ql::Image picture = render(contentFrame().size() * kConversionScale, [text](QPainter& painter) {
        painter.scale(kConversionScale, kConversionScale);
        text->drawText(painter);
    });
    if (!picture.isNull())
        replaceBy(initWithImage(picture));
}

void ZVPuttyView::convertShapeToImage()
{
    auto* vector = qobject_cast<ZVVectorView*>(m_contentView);
    const DFDrawable* shape = vector ? vector->shape() : nullptr;
    if (m_contentViewType != VectorContent || !shape)
        return;
    const QSizeF size = contentFrame().size() * kConversionScale;
    const ql::Image picture = render(size, [shape, size](QPainter& painter) {
        shape->drawContentInRect(painter, QRectF(QPointF(0, 0), size), QRectF(), shape->style());
    });
    if (!picture.isNull())
        replaceBy(initWithImage(picture));
}

void ZVPuttyView::convert3DTextToImage()
{
    auto* view = qobject_cast<ZV3DTextView*>(m_contentView);
    if (m_contentViewType != Text3DContent || !view)
        return;
    const ql::Image picture = ql::ZVDesignHelper::imageFromSceneKitView(*view);
    if (!picture.isNull())
        replaceBy(initWithImage(picture));
}

void ZVPuttyView::convertTextTo3DText()
{
    auto* text = qobject_cast<ZVTextView*>(m_contentView);
    if (m_contentViewType != TextContent || !text)
        return;
    replaceBy(initWith3DText(text->string()));
}

void ZVPuttyView::convertTextToShape()
{
    auto* text = qobject_cast<ZVTextView*>(m_contentView);
    if (m_contentViewType != TextContent || !text)
        return;
    // The characters this box shows, as one run.
    QString characters = text->string();
    if (ql::text::FlowLayout* layout = text->layoutManager()) {
        const auto range = layout->characterRangeForTextContainer(text->textContainerIndex());
        characters = characters.mid(range.location, range.length);
    }
    const QVariant current = text->currentFont();
    const bool hasFont = current.canConvert<ql::Font>() && !current.value<ql::Font>().isNull();
    const QRawFont font = hasFont ? ql::FontResolver::rawFont(current.value<ql::Font>())
                                  : ql::text::GlyphRunOutline::systemFont(kShapeFontSize);
    const ql::BezierPath outline = ql::text::GlyphRunOutline::of(characters, font);
    // Nothing to outline (no text, or only spaces): the box stays a box.
    if (outline.bounds().isEmpty()) {
        qWarning().noquote() << "Convert to Shape: the text box shows nothing to outline";
        return;
    }
    replaceBy(initWithVector(ql::df::verticallyFlippedPath(outline), QStringLiteral("text")));
}
