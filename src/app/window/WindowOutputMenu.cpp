// File's output items: Save as Template, Export, Share (whose submenu is
// made anew at every validation from the sharing services) and Print; and
// the preview command, which only the toolbar's button calls.
#include "app/window/WindowMenus.h"

#include "app/window/DocumentWindow.h"

#include <QAction>
#include <QMenu>

namespace ql {

void WindowMenus::buildOutputItems()
{
    DocumentWindow& window = m_window;
    addItem(m_file, tr("Save as &Template…"), QStringLiteral("saveAsTemplate:"), {},
            [&window] { window.saveAsTemplate(); });
    m_file->addSeparator();
    addItem(m_file, tr("&Export…"), QStringLiteral("exportDocument:"), QKeySequence(Qt::CTRL | Qt::Key_E),
            [&window] { window.exportDocument(); });
    // Its submenu does the work.
    addItem(m_file, tr("S&hare"), QStringLiteral("clickShareMenu:"), {}, [] {});
    addValidation(QStringLiteral("clickShareMenu:"), [&window](QAction* item) {
        window.rebuildShareMenu(item);
        return true;
    });
    addItem(m_file, tr("&Print…"), QStringLiteral("printDocument:"), QKeySequence(Qt::CTRL | Qt::Key_P),
            [&window] { window.printDocument(); });

    addCommand(QStringLiteral("preview:"), [&window] { window.preview(); });
}

} // namespace ql
