// The page list commands: a new page like the current one, inserted before or
// after it; deleting the current page once the user agrees; content or master
// pages shown; the current page's settings copied to every shown page; and
// the pages popover's add, which undoes.
#include "app/document/Document.h"

#include "canvas/ZVCanvasView.h"
#include "platform/ui/Prompter.h"

namespace ql {

namespace {

// What a new page takes over from the current one, in this order.
const QStringList& newPageSettings()
{
    static const QStringList keys = QStringLiteral(
        "pageSize pageWidth pageHeight pageOrientation topMargin bottomMargin leftMargin rightMargin clipToMargins "
        "fullBleed showBleedCropMarks showMarginGuides bleedMargin rowNumber rowGutter colNumber colGutter "
        "colRowStyle showColumnRowGuides")
                                        .split(QLatin1Char(' '));
    return keys;
}

// What applying to all pages copies, in this order; clipping to the margins
// stays each page's own.
const QStringList& sharedPageSettings()
{
    static const QStringList keys = QStringLiteral(
        "pageSize pageOrientation pageWidth pageHeight topMargin bottomMargin leftMargin rightMargin "
        "showMarginGuides fullBleed bleedMargin showBleedCropMarks showColumnRowGuides rowNumber rowGutter "
        "colNumber colGutter colRowStyle")
                                        .split(QLatin1Char(' '));
    return keys;
}

} // namespace

ZVCanvasView* Document::newCanvas()
{
    const ZVCanvasView* current = currentPage();
    // The new page watches its own settings: copying them must leave no undo
    // steps behind, or Undo right after an insert would reshape the new page.
    UndoRegistrationBlocker blocker(&m_undoManager);
    auto* page = new ZVCanvasView(this);
    page->setDocument(this);
    if (current) {
        for (const QString& key : newPageSettings())
            page->setValueForKey(key, current->valueForKey(key));
    }
    page->setCanvasFrames();
    return page;
}

void Document::insertPageAfter()
{
    const qsizetype index = pages().indexOf(m_currentPage.data());
    ZVCanvasView* page = newCanvas();
    pages().insert(index + 1, page);
    setCurrentPage(page);
    updatePageCounts();
    // Nothing to undo, but the file no longer holds what the window shows.
    updateChangeCountDone();
    emit pagesChanged();
}

void Document::insertPageBefore()
{
    const qsizetype index = std::max<qsizetype>(pages().indexOf(m_currentPage.data()), 0);
    ZVCanvasView* page = newCanvas();
    pages().insert(index, page);
    setCurrentPage(page);
    updatePageCounts();
    updateChangeCountDone();
    emit pagesChanged();
}

void Document::deletePage(Prompter* prompter)
{
    if (pages().size() <= 1 || !prompter)
        return;
    AlertRequest alert;
    alert.style = AlertRequest::Style::Warning;
    alert.messageText = QObject::tr("Delete this page?");
    alert.informativeText = QObject::tr("This action cannot be undone.");
    alert.buttons = {QObject::tr("OK"), QObject::tr("Cancel")};
    if (prompter->runAlert(alert) != 0)
        return;
    ZVCanvasView* page = currentPage();
    // The alert ran the event loop: the list may have changed meanwhile.
    if (!page || !pages().removeOne(page))
        return;
    retirePage(page);
    setCurrentPage(pages().first());
    updatePageCounts();
    updateChangeCountDone();
    emit pagesChanged();
}

void Document::retirePage(ZVCanvasView* page)
{
    m_deletedPages.append(page);
    // A content page must not keep a master that no file will hold: it would
    // lose that master's geometry and elements once saved and reopened. The
    // pages kept for undo are unlinked too, in case one comes back.
    UndoRegistrationBlocker blocker(&m_undoManager);
    for (const QList<ZVCanvasView*>* list : {&m_contentPages, &m_deletedPages}) {
        for (ZVCanvasView* follower : *list) {
            if (follower != page && follower->masterPage() == page)
                follower->setMasterPage(nullptr);
        }
    }
}

void Document::togglePagesType()
{
    const int type = m_pagesType.toInt();
    if (type == 0)
        setPagesType(1);
    else if (type == 1)
        setPagesType(0);
    // Whoever watches the master pages refreshes.
    willChangeValueForKey(QStringLiteral("masterPages"));
    didChangeValueForKey(QStringLiteral("masterPages"));
    setCurrentPage(pages().isEmpty() ? nullptr : pages().first());
}

void Document::applyPageSettingsToAllPages()
{
    const ZVCanvasView* current = currentPage();
    if (!current)
        return;
    // Each page records its own undo steps; one user action undoes as one.
    const QList<ZVCanvasView*> shown = pages();
    for (ZVCanvasView* page : shown) {
        for (const QString& key : sharedPageSettings()) {
            // A setting already equal stays untouched: nothing to undo.
            const QVariant value = current->valueForKey(key);
            if (page->valueForKey(key) != value)
                page->setValueForKey(key, value);
        }
    }
}

void Document::appendPageUndoably(ZVCanvasView* page)
{
    if (!page)
        return;
    putBackPage(m_pages == &m_masterPages, page, pages().size());
}

void Document::putBackPage(bool master, ZVCanvasView* page, qsizetype index)
{
    QList<ZVCanvasView*>& list = master ? m_masterPages : m_contentPages;
    if (list.contains(page))
        return;
    m_deletedPages.removeAll(page);
    page->setParent(this);
    page->setDocument(this);
    list.insert(std::clamp<qsizetype>(index, 0, list.size()), page);
    const QPointer<ZVCanvasView> returnTo = currentPage();
    const QPointer<ZVCanvasView> held = page;
    m_undoManager.registerUndo(this, [this, master, held, returnTo] {
        if (held)
            takeOutPage(master, held, returnTo);
    });
    if (&list == m_pages)
        setCurrentPage(page);
    else
        updatePageCounts();
    emit pagesChanged();
}

void Document::takeOutPage(bool master, ZVCanvasView* page, ZVCanvasView* returnTo)
{
    QList<ZVCanvasView*>& list = master ? m_masterPages : m_contentPages;
    const qsizetype index = list.indexOf(page);
    // The last page of a list stays: a document always shows one.
    if (index < 0 || list.size() <= 1)
        return;
    list.removeAt(index);
    retirePage(page);
    const QPointer<ZVCanvasView> held = page;
    m_undoManager.registerUndo(this, [this, master, held, index] {
        if (held)
            putBackPage(master, held, index);
    });
    if (&list == m_pages)
        setCurrentPage(returnTo && list.contains(returnTo) ? returnTo : list.first());
    else
        updatePageCounts();
    emit pagesChanged();
}

} // namespace ql
