// The Arrange menu: Move to Layer, whose submenu lists the current page's
// layers afresh at every validation. Every element command, in this menu or
// any other, is enabled by the current page's validation of the selection.
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

void WindowMenus::buildArrangeMenu()
{
    m_arrange = m_window.menuBar()->addMenu(tr("&Arrange"));
    DocumentWindow& window = m_window;
    QAction* moveToLayer = addItem(m_arrange, tr("Move to Layer"), QStringLiteral("clickMoveToLayerMenu:"), {}, [] {});
    moveToLayer->setMenu(new QMenu(m_arrange));
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
        "moveActivePuttyViewsToFront:", "delete:", "copy:", "cut:", "duplicate:", "paste:", "alignViewLeft:",
        "alignViewCenter:", "alignViewRight:", "alignViewTop:", "alignViewMiddle:", "alignViewBottom:",
        "rotate180:", "rotate90Right:", "rotate90Left:", "flipHorizontal:", "flipVertical:",
    };
    for (const char* command : elementCommands) {
        addValidation(QString::fromLatin1(command), [&window](QAction* item) {
            ZVCanvasView* page = currentPage(window);
            return page && page->validateMenuItem(item->objectName(), ZVCanvasView::clipboardContents());
        });
    }
}

} // namespace ql
