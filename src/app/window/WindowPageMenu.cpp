// The Page menu: moving through the pages, the pages popover, inserting and
// deleting pages, and switching between content and master pages. Its items
// validate by the rules in WindowMenus.cpp.
#include "app/window/WindowMenus.h"

#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/window/DocumentWindow.h"

#include <QMenu>
#include <QMenuBar>

namespace ql {

void WindowMenus::buildPageMenu()
{
    m_page = m_window.menuBar()->addMenu(tr("&Page"));
    DocumentWindow& window = m_window;
    const auto onDocument = [&window](void (Document::*command)()) {
        return [&window, command] {
            if (Document* document = window.document())
                (document->*command)();
        };
    };
    addItem(m_page, tr("Previous Page"), QStringLiteral("previousPage:"), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
            onDocument(&Document::previousPage));
    addItem(m_page, tr("Next Page"), QStringLiteral("nextPage:"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
            onDocument(&Document::nextPage));
    addItem(m_page, tr("Pages…"), QStringLiteral("openPages:"), {}, [&window] { window.openPagesAlternate(); });
    m_page->addSeparator();
    addItem(m_page, tr("Insert Page Before"), QStringLiteral("insertPageBefore:"), {},
            onDocument(&Document::insertPageBefore));
    addItem(m_page, tr("Insert Page After"), QStringLiteral("insertPageAfter:"), {},
            onDocument(&Document::insertPageAfter));
    addItem(m_page, tr("Delete Page"), QStringLiteral("deletePage:"), {}, [&window] {
        if (Document* document = window.document())
            document->deletePage(window.controller().prompter());
    });
    m_page->addSeparator();
    addItem(m_page, tr("Show Master Pages"), QStringLiteral("togglePagesType:"), {},
            onDocument(&Document::togglePagesType));
    watch(m_page);
}

} // namespace ql
