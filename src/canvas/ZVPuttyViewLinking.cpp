// Continuing a text box in a new, linked box: the page menu, the new box's
// place, and the chain the two boxes join.
#include "canvas/ZVPuttyView.h"

#include "canvas/CanvasHost.h"
#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"
#include "content/ZVTextView.h"

#include <QAction>
#include <QCoreApplication>
#include <algorithm>

namespace {

// Where the continuing box's content starts right of the source's.
constexpr double kLinkedBoxGap = 15.0;
// A box beside its source never starts closer than this to the page's right edge.
constexpr double kRightEdgeReserve = 100.0;

} // namespace

void ZVPuttyView::createLinkedTextView(QPointF pagePoint)
{
    ZVCanvasView* page = canvas();
    PageDocument* document = page ? page->document() : nullptr;
    const int pages = document ? document->pageCount() : 0;
    ql::CanvasHost* host = page ? page->canvasHost() : nullptr;
    if (pages <= 1 || !host) {
        createLinkedTextViewAtPage(0);
        return;
    }
    ql::CanvasMenu menu;
    menu.title = QCoreApplication::translate("ZVPuttyView", "Add Linked Text Box");
    const auto insert = [source = QPointer<ZVPuttyView>(this)](const QAction* item) {
        if (source)
            source->insertLinkedTextBox(item);
    };
    for (int index = 0; index < pages; ++index) {
        ql::CanvasMenu::Item item {QCoreApplication::translate("ZVPuttyView", "Page %1").arg(index + 1),
                                   QStringLiteral("insertLinkedTextBox:")};
        item.perform = insert;
        item.data = index;
        menu.items.append(item);
    }
    host->popUpContextMenu(menu, pagePoint);
}

void ZVPuttyView::insertLinkedTextBox(const QAction* item)
{
    if (!item)
        return;
    bool known = false;
    int index = item->data().toInt(&known);
    if (!known) {
        // An item without its index: the number is the title's second word.
        const QStringList words = item->text().remove(QLatin1Char('&')).split(QLatin1Char(' '));
        index = words.size() > 1 ? words.at(1).toInt(&known) - 1 : -1;
        if (!known)
            return;
    }
    createLinkedTextViewAtPage(index);
}

ZVPuttyView* ZVPuttyView::createLinkedTextViewAtPage(int index)
{
    ZVCanvasView* page = canvas();
    auto* source = qobject_cast<ZVTextView*>(m_contentView);
    if (!page || !source || m_contentViewType != TextContent)
        return nullptr;
    PageDocument* document = page->document();
    ZVCanvasView* target = document ? document->pageAt(index) : index == 0 ? page : nullptr;
    if (!target)
        return nullptr;

    ZVPuttyView* box = initWithText().release();
    target->addPuttyView(box);
    QRectF frame = m_frame;
    if (target == page) {
        const double beside = m_frame.x() + m_frame.width() - 2 * kMargin + kLinkedBoxGap;
        frame.moveLeft(std::min(beside, page->frame().width() - kRightEdgeReserve));
    } else {
        // The text starts at the target page's own left margin, which lies
        // further in by the bleed only when that page shows it.
        frame.moveLeft(target->templateView()->leftMargin() + target->effectiveBleedMargin() - kMargin);
    }
    box->setFrame(frame);

    setIsActive(false);
    page->highlightPuttyViews();
    box->setIsActive(true);

    ZVPuttyViewGroup* chain = m_textGroup.data();
    if (!chain) {
        chain = new ZVPuttyViewGroup(this);
        chain->appendUuid(m_uuid);
        setTextGroup(chain);
    }
    const qsizetype at = chain->groupedViews().indexOf(m_uuid);
    chain->insertUuid(at < 0 ? chain->groupedViews().size() : at + 1, box->uuid());
    box->setTextGroup(chain);

    // The new box's own empty text goes; it shows what the boxes before it
    // leave over.
    if (auto* continuation = qobject_cast<ZVTextView*>(box->contentView()))
        continuation->joinTextChain(source, source->textContainerIndex() + 1);
    page->showTextLinks();
    if (target != page)
        target->showTextLinks();
    if (document)
        document->showRulers();
    return box;
}
