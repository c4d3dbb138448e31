// What the canvas asks of the window while the user works on the page:
// zooming and scrolling, cursors, ruler echo lines, keyboard focus and
// context menus.
#include "app/window/DocumentWindow.h"

#include "app/window/WindowMenus.h"
#include "canvas/view/CanvasCursors.h"
#include "canvas/view/ZVRulerView.h"
#include "canvas/view/ZVScrollView.h"

#include <QMenu>
#include <QScrollBar>

namespace ql {

void DocumentWindow::setMagnification(double magnification, QPointF centeredAtPagePoint)
{
    m_outlets.scrollView->setMagnification(magnification, centeredAtPagePoint);
}

void DocumentWindow::magnifyToFitRect(const QRectF& pageRect)
{
    m_outlets.scrollView->magnifyToFitRect(pageRect);
}

QRectF DocumentWindow::visibleRect() const
{
    return m_outlets.scrollView->visiblePageRect();
}

void DocumentWindow::scrollToPoint(QPointF pageOrigin)
{
    ZVScrollView* view = m_outlets.scrollView;
    const QPointF shift = view->mapFromPage(pageOrigin) - view->mapFromPage(view->visiblePageRect().topLeft());
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->value() + qRound(shift.x()));
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + qRound(shift.y()));
}

void DocumentWindow::setCanvasCursor(const CanvasCursor& cursor)
{
    m_outlets.scrollView->viewport()->setCursor(cursorFor(cursor));
}

void DocumentWindow::setCursorRectsEnabled(bool enabled)
{
    // The rotation cursor stays while the rotation runs; afterwards the
    // canvas shows the ordinary pointer again.
    if (enabled)
        m_outlets.scrollView->viewport()->unsetCursor();
}

void DocumentWindow::moveRulerline(bool horizontal, double from, double to)
{
    ZVScrollView* view = m_outlets.scrollView;
    ZVRulerView* ruler = horizontal ? view->horizontalRulerView() : view->verticalRulerView();
    if (ruler)
        ruler->moveRulerline(from, to);
}

void DocumentWindow::makeElementFirstResponder(ZVPuttyView*)
{
    // Elements take their keys through the canvas.
    m_outlets.scrollView->setFocus(Qt::OtherFocusReason);
}

void DocumentWindow::setDropViewHidden(bool hidden)
{
    // Neither the canvas nor its viewport takes a drag while the page is
    // drawn on.
    ZVScrollView* view = m_outlets.scrollView;
    if (!view)
        return;
    view->setAcceptDrops(!hidden);
    view->viewport()->setAcceptDrops(!hidden);
}

namespace {

// The menu's items as QMenu entries carrying the items' data: an item
// performs its own command (handed the entry), or triggers the window's
// command of its action (none: the item stays disabled); an item with a
// submenu opens it.
void fillMenu(QMenu& menu, const CanvasMenu& description, WindowMenus& menus)
{
    for (const CanvasMenu::Item& entry : description.items) {
        if (entry.isSeparator()) {
            menu.addSeparator();
            continue;
        }
        QAction* shown = menu.addAction(entry.title);
        shown->setObjectName(entry.action);
        shown->setData(entry.data);
        if (entry.submenu) {
            auto* submenu = new QMenu(entry.submenu->title, &menu);
            fillMenu(*submenu, *entry.submenu, menus);
            shown->setMenu(submenu);
            shown->setEnabled(entry.enabled);
            continue;
        }
        QAction* command = entry.perform || entry.action.isEmpty() ? nullptr : menus.item(entry.action);
        shown->setEnabled(entry.enabled && (entry.perform || command));
        if (entry.perform)
            QObject::connect(shown, &QAction::triggered, shown, [perform = entry.perform, shown] { perform(shown); });
        else if (command)
            QObject::connect(shown, &QAction::triggered, command, &QAction::trigger);
    }
}

} // namespace

void DocumentWindow::popUpContextMenu(const CanvasMenu& description, QPointF pagePoint)
{
    // Shown without blocking: the menu goes away with its window or once closed.
    auto* menu = new QMenu(description.title, this);
    menu->setObjectName(QStringLiteral("contextualMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fillMenu(*menu, description, *m_menus);
    ZVScrollView* view = m_outlets.scrollView;
    menu->popup(view->viewport()->mapToGlobal(view->mapFromPage(pagePoint).toPoint()));
}

} // namespace ql
