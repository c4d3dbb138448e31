// The window's side of the page list: the pages popover, the page button and
// the apply-to-all button, and the ground that tells master-page editing.
#include "app/window/DocumentWindow.h"

#include "app/document/Document.h"
#include "canvas/view/ZVScrollView.h"
#include "panels/ZVPagesViewController.h"
#include "panels/controls/Popover.h"
#include "panels/inspectors/ZVPageSettingsController.h"

#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace ql {

QColor DocumentWindow::masterPagesSurroundColor()
{
    return QColor(0xD1, 0xEE, 0xFC);
}

void DocumentWindow::setUpPages()
{
    Outlets& o = m_outlets;
    connect(o.pageExplorer, &QToolButton::clicked, this, &DocumentWindow::openPagesAlternate);
    o.applyButton = m_controllers.pageSettingsController->applyButton();
    m_contentPagesSurround = o.scrollView->surroundColor();
    m_document->addObserver(QStringLiteral("pagesType"), this,
                            [this](const KeyValueChange&) { updateSurroundColor(); });
    updateSurroundColor();
}

void DocumentWindow::updateSurroundColor()
{
    if (!m_document)
        return;
    const bool masters = m_document->pagesType().toInt() == 1;
    m_outlets.scrollView->setSurroundColor(masters ? masterPagesSurroundColor() : m_contentPagesSurround);
}

void DocumentWindow::openPages(QWidget* sender)
{
    if (!m_document || !sender)
        return;
    if (QWidget* open = m_document->pagesPopover())
        open->close();
    auto* popover = new Popover(this);
    popover->setObjectName(QStringLiteral("pagesPopover"));
    popover->setContentSize(ZVPagesViewController::kContentSize);
    auto* controller = new ZVPagesViewController;
    controller->setDocument(m_document);
    popover->setContentViewController(controller);
    controller->reload();
    m_document->setPagesPopover(popover);
    popover->showAtRightEdgeOf(*sender);
    // Return opens the selected page at once.
    controller->collectionView()->setFocus(Qt::PopupFocusReason);
}

void DocumentWindow::openPagesAlternate()
{
    openPages(m_outlets.pageExplorer);
}

} // namespace ql
