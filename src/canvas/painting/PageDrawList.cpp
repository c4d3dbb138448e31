#include "canvas/painting/PageDrawList.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "platform/Uuid.h"

namespace ql {

PageDrawList::PageDrawList(ZVCanvasView& page, PagePainter::Layers layers)
{
    if (const ZVCanvasView* master = page.masterPage()) {
        for (const ZVPuttyView* element : PagePainter::ownElements(*master, layers)) {
            std::unique_ptr<ZVPuttyView> copy = isPageNumberBox(*element) ? pageNumberCopy(*element, page) : nullptr;
            if (!copy) {
                m_elements.append(element);
                continue;
            }
            m_elements.append(copy.get());
            m_copies.push_back(std::move(copy));
        }
    }
    for (const ZVPuttyView* element : PagePainter::ownElements(page, layers))
        m_elements.append(element);
}

PageDrawList::~PageDrawList() = default;

bool PageDrawList::isPageNumberBox(const ZVPuttyView& element)
{
    const auto* text = qobject_cast<const ZVTextView*>(element.contentView());
    return element.contentViewType() == ZVPuttyView::TextContent && text && text->isPageNumber();
}

std::unique_ptr<ZVPuttyView> PageDrawList::pageNumberCopy(const ZVPuttyView& box, ZVCanvasView& page)
{
    std::unique_ptr<ZVPuttyView> copy = box.copy();
    if (!copy)
        return nullptr;
    copy->setCanvas(&page);
    copy->setUuid(newUuidString());
    copy->setIsActive(false);
    copy->setIsHighlighted(false);
    if (auto* text = qobject_cast<ZVTextView*>(copy->contentView()))
        text->updateTextFromType();
    return copy;
}

} // namespace ql
