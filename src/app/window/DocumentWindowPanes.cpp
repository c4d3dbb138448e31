// The window's panes and panels: hiding and showing the side panes and the
// floating panels, and which browser and inspector the tabs show.
#include "app/window/DocumentWindow.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "panels/browsers/ZVClipArtContentViewController.h"
#include "panels/browsers/ZVCodeContentViewController.h"
#include "panels/browsers/ZVImageContentViewController.h"
#include "panels/browsers/ZVShapeContentViewController.h"
#include "panels/browsers/ZVTextContentViewController.h"
#include "panels/controls/InspectorScrollArea.h"
#include "panels/controls/TBTabBar.h"
#include "panels/controls/ToolWindow.h"
#include "panels/inspectors/ZV3DTextSettingsController.h"
#include "panels/inspectors/ZVEmptyViewController.h"
#include "panels/inspectors/ZVImageSettingsController.h"
#include "panels/inspectors/ZVLayerSettingsController.h"
#include "panels/inspectors/ZVPageSettingsController.h"
#include "panels/inspectors/ZVShapeSettingsController.h"
#include "panels/inspectors/ZVTextSettingsController.h"
#include "util/layout/PinLayout.h"

#include <QScrollArea>
#include <QScrollBar>

namespace ql {

namespace {

// A pane's width pin replaced by a new one.
void refixWidth(QPointer<LayoutConstraint>& pin, QWidget* pane, double width)
{
    if (pin)
        pin->autoRemove();
    pin = autoSetDimension(pane, PinDimension::Width, width);
}

} // namespace

void DocumentWindow::toggleLeftPanel()
{
    const bool shown = m_document->leftPaneVisible();
    refixWidth(m_outlets.leftPaneWidth, m_outlets.leftPane, shown ? 0 : kLeftPaneWidth);
    m_document->setValueForKey(u"leftPaneVisible", !shown);
}

void DocumentWindow::toggleRightPanel()
{
    const bool shown = m_document->rightPaneVisible();
    refixWidth(m_outlets.rightPaneWidth, m_outlets.rightPane, shown ? 0 : kRightPaneWidth);
    m_document->setValueForKey(u"rightPaneVisible", !shown);
}

void DocumentWindow::togglePanel(WindowPanel* panel, const QString& flag)
{
    // What is on screen decides, so that the menu's title and the panel agree
    // even when the panel was closed from its title bar.
    const bool shown = panel->isVisible();
    if (shown)
        panel->close();
    else
        ToolWindow::present(*panel, this);
    m_document->setValueForKey(flag, !shown);
}

void DocumentWindow::toggleLayoutLayersPanel()
{
    togglePanel(m_outlets.layoutLayerPanel, QStringLiteral("layoutLayersPaneVisible"));
}

void DocumentWindow::togglePasteboardVisible()
{
    togglePanel(m_outlets.pasteboardPanel, QStringLiteral("pasteboardVisible"));
}

QWidget* DocumentWindow::contentView(int index) const
{
    const Controllers& c = m_controllers;
    switch (index) {
    case 0: return c.imageContentVC ? c.imageContentVC->view() : nullptr;
    case 1: return c.textContentVC ? c.textContentVC->view() : nullptr;
    case 2: return c.shapeContentVC ? c.shapeContentVC->view() : nullptr;
    case 3: return c.clipArtContentVC ? c.clipArtContentVC->view() : nullptr;
    case 4: return c.codeContentVC ? c.codeContentVC->view() : nullptr;
    default: return nullptr;
    }
}

void DocumentWindow::changeContentView(int index)
{
    Controllers& c = m_controllers;
    m_outlets.contentTabs->setSelectedIndex(unsigned(std::max(index, 0)));
    for (int each = 0; each < 5; ++each) {
        if (QWidget* view = contentView(each))
            view->hide();
    }
    ViewController* const browsers[] = {c.imageContentVC, c.textContentVC, c.shapeContentVC, c.clipArtContentVC,
                                        c.codeContentVC};
    if (index < 0 || index > 4) {
        c.contentViewController = nullptr;
        return;
    }
    c.contentViewController = browsers[index];
    contentView(index)->show();
    // The grid browsers flash their scroll bars.
    if (auto* grid = qobject_cast<ZVGridBrowserController*>(browsers[index]))
        grid->scrollView()->verticalScrollBar()->update();
}

void DocumentWindow::changeInspectorView(int index)
{
    Controllers& c = m_controllers;
    m_outlets.inspectorTabs->setSelectedIndex(unsigned(std::max(index, 0)));
    ViewController* chosen = c.inspectorViewController;
    if (index == 0) {
        chosen = c.pageSettingsController;
    } else if (index == 1) {
        chosen = c.layerSettingsController;
    } else if (index == 2) {
        ZVCanvasView* page = m_document ? m_document->currentPage() : nullptr;
        const QList<ZVPuttyView*> active = page ? page->activeViews() : QList<ZVPuttyView*>();
        if (active.size() == 1) {
            switch (active.first()->contentViewType()) {
            case ZVPuttyView::ImageContent: chosen = c.imageSettingsController; break;
            case ZVPuttyView::TextContent: chosen = c.textSettingsController; break;
            case ZVPuttyView::VectorContent: chosen = c.shapeSettingsController; break;
            case ZVPuttyView::Text3DContent: chosen = c.threeDSettingsController; break;
            default: break;
            }
        } else {
            chosen = c.emptyViewController;
        }
    }
    if (!chosen)
        return;
    c.inspectorViewController = chosen;
    QScrollArea* area = m_outlets.inspectorView;
    QWidget* view = chosen->view();
    if (area->widget() != view) {
        // The scroll area deletes the view it holds when given another: keep it.
        if (QWidget* previous = area->takeWidget()) {
            previous->hide();
            previous->setParent(m_outlets.rightPane);
        }
        area->setWidget(view);
    }
    // As wide as the pane, as high as the inspector's rows need (filling the
    // pane when they need less).
    view->show();
    if (auto* fitting = qobject_cast<InspectorScrollArea*>(area))
        fitting->fitWidget();
}

void DocumentWindow::updateInspectorView()
{
    changeInspectorView(int(m_outlets.inspectorTabs->selectedIndex()));
}

void DocumentWindow::showSelectionInspector()
{
    // The element properties already show the element; from the page's tab
    // the pane turns to the inspector of the element's kind.
    if (m_outlets.inspectorTabs->selectedIndex() != 1)
        changeInspectorView(2);
}

} // namespace ql
