// The Arrange menu (stacking, Move to Layer, whose submenu lists the current
// page's layers afresh at every validation, group, lock, turns and flips) and
// the Align menu. Each command acts on the current page's selection; every
// element command, in these menus or any other, is enabled by the current
// page's validation of the selection (but Paste into an edited text, in
// WindowEditMenu.cpp).
#include "app/window/WindowMenus.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"

#include <QMenu>
#include <QMenuBar>

namespace ql {

namespace {

ZVCanvasView* currentPage(DocumentWindow& window)
{
    Document* document = window.document();
    return document ? document->currentPage() : nullptr;
}

} // namespace

QAction* WindowMenus::addPageItem(QMenu* menu, const QString& title, const QString& selector,
                                   const QKeySequence& shortcut, void (ZVCanvasView::*command)())
{
    DocumentWindow& window = m_window;
    return addItem(menu, title, selector, shortcut, [&window, command] {
        if (ZVCanvasView* page = currentPage(window))
            (page->*command)();
    });
}

void WindowMenus::buildArrangeMenu()
{
    m_arrange = m_window.menuBar()->addMenu(tr("&Arrange"));
    DocumentWindow& window = m_window;
    addPageItem(m_arrange, tr("Bring Forward"), QStringLiteral("moveActivePuttyViewsForward:"),
                QKeySequence(Qt::CTRL | Qt::Key_BracketRight), &ZVCanvasView::moveActivePuttyViewsForward);
    // Shift turns the brackets into braces on most keyboards: both are taken.
    addPageItem(m_arrange, tr("Bring to Front"), QStringLiteral("moveActivePuttyViewsToFront:"),
                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketRight), &ZVCanvasView::moveActivePuttyViewsToFront)
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketRight),
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BraceRight)});
    addPageItem(m_arrange, tr("Send Backward"), QStringLiteral("moveActivePuttyViewsBackward:"),
                QKeySequence(Qt::CTRL | Qt::Key_BracketLeft), &ZVCanvasView::moveActivePuttyViewsBackward);
    addPageItem(m_arrange, tr("Send to Back"), QStringLiteral("moveActivePuttyViewsToBack:"),
                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketLeft), &ZVCanvasView::moveActivePuttyViewsToBack)
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketLeft),
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BraceLeft)});
    m_arrange->addSeparator();
    QAction* moveToLayer = addItem(m_arrange, tr("Move to Layer"), QStringLiteral("clickMoveToLayerMenu:"), {}, [] {});
    moveToLayer->setMenu(new QMenu(m_arrange));
    m_arrange->addSeparator();
    addPageItem(m_arrange, tr("Group"), QStringLiteral("groupActivePuttyViews:"), QKeySequence(Qt::CTRL | Qt::Key_G),
                &ZVCanvasView::groupActivePuttyViews);
    addPageItem(m_arrange, tr("Ungroup"), QStringLiteral("ungroupActivePuttyViews:"),
                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G), &ZVCanvasView::ungroupActivePuttyViews);
    m_arrange->addSeparator();
    addPageItem(m_arrange, tr("Lock"), QStringLiteral("lockActivePuttyViews:"), {}, &ZVCanvasView::lockActivePuttyViews);
    addPageItem(m_arrange, tr("Unlock"), QStringLiteral("unlockActivePuttyViews:"), {},
                &ZVCanvasView::unlockActivePuttyViews);
    m_arrange->addSeparator();
    addPageItem(m_arrange, tr("Rotate 180°"), QStringLiteral("rotate180:"), {}, &ZVCanvasView::rotate180);
    addPageItem(m_arrange, tr("Rotate 90° Right"), QStringLiteral("rotate90Right:"), {}, &ZVCanvasView::rotate90Right);
    addPageItem(m_arrange, tr("Rotate 90° Left"), QStringLiteral("rotate90Left:"), {}, &ZVCanvasView::rotate90Left);
    m_arrange->addSeparator();
    addPageItem(m_arrange, tr("Flip Horizontal"), QStringLiteral("flipHorizontal:"), {}, &ZVCanvasView::flipHorizontal);
    addPageItem(m_arrange, tr("Flip Vertical"), QStringLiteral("flipVertical:"), {}, &ZVCanvasView::flipVertical);
    watch(m_arrange);

    addValidation(QStringLiteral("clickMoveToLayerMenu:"), [&window](QAction* item) {
        ZVCanvasView* page = currentPage(window);
        // A new submenu each time: the layers may have changed.
        auto* layers = new QMenu(qobject_cast<QWidget*>(item->parent()));
        if (page) {
            for (const ZVCanvasView::LayerMenuItem& entry : page->moveToLayerMenuItems()) {
                QAction* layer = layers->addAction(entry.title);
                layer->setData(entry.tag);
                layer->setEnabled(entry.enabled);
                if (entry.enabled) {
                    layer->setObjectName(QStringLiteral("movePuttyViewToLayer:"));
                    const QPointer<ZVCanvasView> target(page);
                    QObject::connect(layer, &QAction::triggered, layer, [target, tag = entry.tag] {
                        if (target)
                            target->movePuttyViewToLayer(tag);
                    });
                }
            }
        }
        QMenu* previous = item->menu();
        item->setMenu(layers);
        if (previous)
            previous->deleteLater();
        return page && page->validateMenuItem(item->objectName(), {});
    });

    static const char* const elementCommands[] = {
        "groupActivePuttyViews:", "ungroupActivePuttyViews:", "lockActivePuttyViews:", "unlockActivePuttyViews:",
        "copyPB:", "moveActivePuttyViewsBackward:", "moveActivePuttyViewsForward:", "moveActivePuttyViewsToBack:",
        "moveActivePuttyViewsToFront:", "delete:", "copy:", "cut:", "duplicate:", "alignViewLeft:",
        "alignViewCenter:", "alignViewRight:", "alignViewTop:", "alignViewMiddle:", "alignViewBottom:",
        "alignEdgesLeft:", "alignEdgesRight:", "alignEdgesTop:", "alignEdgesBottom:", "alignCenterVertical:",
        "alignCenterHorizontal:", "distributeEdgesVerticalByCenter:", "distributeEdgesHorizontalByCenter:",
        "rotate180:", "rotate90Right:", "rotate90Left:", "flipHorizontal:", "flipVertical:",
    };
    for (const char* command : elementCommands)
        addValidation(QString::fromLatin1(command), [this](QAction* item) { return pageValidates(*item); });
}

bool WindowMenus::pageValidates(const QAction& item) const
{
    ZVCanvasView* page = currentPage(m_window);
    return page && page->validateMenuItem(item.objectName(), ZVCanvasView::clipboardContents());
}

void WindowMenus::buildAlignMenu()
{
    m_align = m_window.menuBar()->addMenu(tr("A&lign"));
    using Page = ZVCanvasView;
    struct Entry {
        QString title;
        const char* selector;
        void (Page::*command)();
    };
    const Entry entries[] = {
        {tr("Align Left"), "alignViewLeft:", &Page::alignViewLeft},
        {tr("Align Center"), "alignViewCenter:", &Page::alignViewCenter},
        {tr("Align Right"), "alignViewRight:", &Page::alignViewRight},
        {tr("Align Top"), "alignViewTop:", &Page::alignViewTop},
        {tr("Align Middle"), "alignViewMiddle:", &Page::alignViewMiddle},
        {tr("Align Bottom"), "alignViewBottom:", &Page::alignViewBottom},
        {{}, nullptr, nullptr},
        {tr("Align Left Edges"), "alignEdgesLeft:", &Page::alignEdgesLeft},
        {tr("Align Right Edges"), "alignEdgesRight:", &Page::alignEdgesRight},
        {tr("Align Top Edges"), "alignEdgesTop:", &Page::alignEdgesTop},
        {tr("Align Bottom Edges"), "alignEdgesBottom:", &Page::alignEdgesBottom},
        {tr("Align Centers Vertically"), "alignCenterVertical:", &Page::alignCenterVertical},
        {tr("Align Centers Horizontally"), "alignCenterHorizontal:", &Page::alignCenterHorizontal},
    };
    for (const Entry& entry : entries) {
        if (entry.selector)
            addPageItem(m_align, entry.title, QString::fromLatin1(entry.selector), {}, entry.command);
        else
            m_align->addSeparator();
    }
    m_align->addSeparator();
    // Horizontally spreads along x, between the elements' vertical edges.
    DocumentWindow& window = m_window;
    const auto distribute = [this, &window](const QString& title, bool alongX, bool byCenter) {
        const QString selector = alongX ? QStringLiteral("distributeEdgesVerticalByCenter:")
                                        : QStringLiteral("distributeEdgesHorizontalByCenter:");
        QAction* item = addItem(m_align, title, selector, {}, [&window, alongX, byCenter] {
            if (ZVCanvasView* page = currentPage(window)) {
                if (alongX)
                    page->distributeEdgesVerticalByCenter(byCenter);
                else
                    page->distributeEdgesHorizontalByCenter(byCenter);
            }
        });
        item->setData(int(byCenter));
    };
    distribute(tr("Distribute Horizontally"), true, false);
    distribute(tr("Distribute Vertically"), false, false);
    distribute(tr("Distribute Horizontally by Centers"), true, true);
    distribute(tr("Distribute Vertically by Centers"), false, true);
    watch(m_align);
}

} // namespace ql
