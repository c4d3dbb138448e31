#include "panels/inspectors/MasterPagePopup.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace ql {

MasterPagePopup::MasterPagePopup(QComboBox* popup, QObject* parent) : QObject(parent), m_popup(popup)
{
    // Only the user's choice links; rebuilding the titles must not.
    connect(popup, &QComboBox::activated, this, &MasterPagePopup::choose);
    refresh();
}

MasterPagePopup::~MasterPagePopup()
{
    if (m_document)
        m_document->removeObservers(this);
}

void MasterPagePopup::setDocument(Document* document)
{
    if (m_document == document)
        return;
    if (m_document) {
        m_document->removeObservers(this);
        disconnect(m_document, nullptr, this, nullptr);
    }
    m_document = document;
    if (document) {
        const auto follow = [this](const KeyValueChange&) { refresh(); };
        // The link changes by this popup, by undo and by deleting a master.
        document->addObserver(QStringLiteral("currentPage.masterPageUUID"), this, follow);
        document->addObserver(QStringLiteral("masterPages"), this, follow);
        connect(document, &Document::currentPageChanged, this, &MasterPagePopup::refresh);
        connect(document, &Document::pagesChanged, this, &MasterPagePopup::refresh);
    }
    refresh();
}

ZVCanvasView* MasterPagePopup::contentPage() const
{
    if (!m_document)
        return nullptr;
    ZVCanvasView* page = m_document->currentPage();
    return page && m_document->contentPages().contains(page) ? page : nullptr;
}

void MasterPagePopup::refresh()
{
    if (!m_popup)
        return;
    const QSignalBlocker quiet(m_popup);
    QStringList titles {tr("None")};
    if (m_document) {
        for (ZVCanvasView* master : m_document->masterPages())
            titles.append(master->masterPageTitle());
    }
    // The items stay while the masters do: a refresh runs inside the popup's
    // own choice.
    bool same = m_popup->count() == titles.size();
    for (int i = 0; same && i < titles.size(); ++i)
        same = m_popup->itemText(i) == titles[i];
    if (!same) {
        m_popup->clear();
        m_popup->addItems(titles);
    }
    ZVCanvasView* page = contentPage();
    const int shown = page && page->masterPage() ? int(m_document->masterPages().indexOf(page->masterPage())) + 1 : 0;
    m_popup->setCurrentIndex(shown);
    m_popup->setEnabled(page != nullptr && m_document->pagesType().toInt() == 0);
    emit refreshed();
}

void MasterPagePopup::choose(int index)
{
    ZVCanvasView* page = contentPage();
    if (!page || m_document->pagesType().toInt() != 0)
        return refresh();
    ZVCanvasView* master = index > 0 ? m_document->masterPages().value(index - 1) : nullptr;
    // The page records the change of its template as its own undo step.
    if (master != page->masterPage())
        page->setMasterPage(master);
    refresh();
}

} // namespace ql
