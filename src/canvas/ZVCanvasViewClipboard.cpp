// The page's clipboard commands: copy, cut, paste, duplicate, keeping the
// selection in the holding area, and adding a picture as a new element (the
// road that paste, the browsers and the insert commands share).
#include "canvas/ZVCanvasView.h"

#include "canvas/CanvasHost.h"
#include "canvas/ClipboardState.h"
#include "canvas/ElementPasteboard.h"
#include "canvas/ModelArchive.h"
#include "canvas/TextChains.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

// Pasted elements land this far right and down of what they copy.
constexpr double kPasteOffset = 15.0;

} // namespace

ql::PasteboardContents ZVCanvasView::copyOfPuttyViewArray(const QList<ZVPuttyView*>& elements,
                                                          bool includeContent) const
{
    ql::PasteboardContents contents;
    // One archive for all, so that copies of one group share one group record.
    const QList<const ZVPuttyView*> sources(elements.cbegin(), elements.cend());
    contents.elements = ql::ElementPasteboard::readElements(ql::ElementPasteboard::archiveElements(sources));
    if (contents.elements.size() != size_t(elements.size()))
        return {};
    QList<ZVPuttyView*> copies;
    for (const std::unique_ptr<ZVPuttyView>& copy : contents.elements)
        copies.append(copy.get());
    ql::ElementPasteboard::giveNewIdentities(copies);
    if (!includeContent)
        return contents;
    for (const ZVPuttyView* element : elements) {
        if (const auto* text = qobject_cast<const ZVTextView*>(element->contentView());
            text && element->contentViewType() == ZVPuttyView::TextContent)
            contents.texts.append(text->attributedString());
        else if (const auto* image = qobject_cast<const ZVImageView*>(element->contentView());
                 image && element->contentViewType() == ZVPuttyView::ImageContent)
            contents.images.append(image->originalImage());
    }
    return contents;
}

void ZVCanvasView::copy()
{
    const QList<ZVPuttyView*> active = activeViews();
    if (active.isEmpty())
        return;
    ql::PasteboardContents contents = copyOfPuttyViewArray(active, true);
    if (contents.isEmpty())
        return;
    QGuiApplication::clipboard()->setMimeData(ql::ElementPasteboard::mimeData(contents).release());
}

ZVCanvasView::ClipboardContents ZVCanvasView::clipboardContents()
{
    return ql::ClipboardState::contents();
}

void ZVCanvasView::cut()
{
    copy();
    delete_();
}

void ZVCanvasView::paste()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data)
        paste(ql::ElementPasteboard::read(*data));
}

void ZVCanvasView::paste(ql::PasteboardContents contents)
{
    if (contents.isEmpty())
        return;
    // A text box being edited takes pasted text itself.
    if (contents.elements.empty() && contents.images.isEmpty()) {
        const ZVPuttyView* focused = focusedPuttyView();
        if (focused && focused->contentViewType() == ZVPuttyView::TextContent && m_editMode)
            return;
    }
    highlightPuttyViews();
    // Pasting twice gives two sets of elements, each with identities of its own.
    QList<ZVPuttyView*> pasted;
    for (const std::unique_ptr<ZVPuttyView>& element : contents.elements)
        pasted.append(element.get());
    ql::ElementPasteboard::giveNewIdentities(pasted);
    const bool single = pasted.size() == 1;
    for (std::unique_ptr<ZVPuttyView>& element : contents.elements) {
        // One element lands next to the element still selected (in another
        // layer, or kept by Shift); several next to what each copies.
        const QList<ZVPuttyView*> active = activeViews();
        const ZVPuttyView* reference = single && !active.isEmpty() ? active.constFirst() : element.get();
        const QRectF frame = element->frame();
        element->setFrame(QRectF(reference->frame().topLeft() + QPointF(kPasteOffset, kPasteOffset), frame.size()));
        addPuttyView(element.release());
        highlightPuttyViews();
    }
    if (!pasted.isEmpty())
        return;
    for (const ql::Image& image : std::as_const(contents.images))
        addImage(image);
    for (const ql::AttributedString& text : std::as_const(contents.texts)) {
        std::unique_ptr<ZVPuttyView> box = ZVPuttyView::initWithText();
        if (auto* content = qobject_cast<ZVTextView*>(box->contentView()))
            content->setString(text.string());
        ZVPuttyView* added = box.release();
        addPuttyView(added);
        centerPuttyView(added);
    }
}

void ZVCanvasView::duplicate()
{
    copy();
    paste();
}

void ZVCanvasView::copyPB()
{
    if (ql::CanvasHost* host = canvasHost())
        host->addToPasteboard();
}

ZVPuttyView* ZVCanvasView::addImage(const ql::Image& image)
{
    if (image.isNull() || image.size().isEmpty())
        return nullptr;
    std::unique_ptr<ZVPuttyView> made = ZVPuttyView::initWithImage(image);
    // The picture keeps its own size unless it takes most of the page:
    // then half the page's width (or height), in proportion.
    QSizeF size = image.size();
    const QSizeF page = m_frame.size();
    if (size.width() >= 0.9 * page.width())
        size = QSizeF(page.width() / 2, size.height() * (page.width() / 2) / size.width());
    if (size.height() >= 0.9 * page.height())
        size = QSizeF(size.width() * (page.height() / 2) / size.height(), page.height() / 2);
    const double margin = ZVPuttyView::kMargin;
    made->setFrame(QRectF(QPointF(0, 0), size).adjusted(-margin, -margin, margin, margin));
    ZVPuttyView* element = made.release();
    addPuttyView(element);
    centerPuttyView(element);
    highlightPuttyViews();
    element->setIsActive(true);
    setFocusedPuttyView(element);
    return element;
}

std::unique_ptr<ZVCanvasView> ZVCanvasView::copyWithZone() const
{
    std::unique_ptr<ZVCanvasView> page = ql::canvas::copyThroughArchive(this);
    // Chains reaching other pages keep only the boxes this page holds.
    if (page)
        ql::keepTextChainsWithin(page->puttyViews());
    return page;
}
