// The window's controls that act through commands (WindowControls): the
// toolbar's buttons, the drawing tools and the browsers' fields. Each stays
// disabled until its command exists. The drawing tools' commands set the
// current page's mode.
#include "app/window/DocumentWindow.h"

#include "app/document/Document.h"
#include "app/window/WindowControls.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "panels/browsers/ZVClipArtContentViewController.h"
#include "panels/browsers/ZVCodeContentViewController.h"
#include "panels/controls/SegmentedControl.h"

#include <QAction>
#include <QToolButton>

namespace ql {

void DocumentWindow::setUpCommandControls()
{
    WindowMenus& menus = *m_menus;
    WindowControls& controls = menus.controls();
    const Outlets& o = m_outlets;
    const std::pair<QToolButton*, const char*> buttons[] = {
        {o.shapeButton, "insertShape:"},      {o.imageButton, "insertImage:"},
        {o.clipArtButton, "insertClipArt:"},  {o.qrCodeButton, "insertBarcode:"},
        {o.zoomInButton, "zoomIn:"},          {o.zoomOutButton, "zoomOut:"},
        {o.previewButton, "preview:"},        {o.exportButton, "exportDocument:"},
        {o.printButton, "printDocument:"},
    };
    for (const auto& [button, selector] : buttons)
        controls.bindButton(button, QString::fromLatin1(selector));

    // A segment's tag is the mode it stands for.
    const QString setDrawingMode = QStringLiteral("setDrawingMode:");
    for (int segment = 0; segment < o.drawingTools->segmentCount(); ++segment)
        controls.bindButton(o.drawingTools->button(segment), setDrawingMode, segment);
    for (int mode = ZVCanvasView::SelectMode; mode <= ZVCanvasView::DeletePointMode; ++mode) {
        menus.addCommand(
            setDrawingMode,
            [this, mode] {
                if (ZVCanvasView* page = m_document ? m_document->currentPage() : nullptr)
                    page->setDrawingMode(mode);
            },
            mode);
    }
    // Point editing needs a focused shape or a mode other than select.
    menus.addValidation(setDrawingMode, [this](QAction* item) {
        if (item->data().toInt() < 6)
            return true;
        ZVCanvasView* page = m_document ? m_document->currentPage() : nullptr;
        return page && (page->focusedVector() || page->drawingMode().toInt() != 0);
    });

    // The search runs on Return; the code's preview follows the text.
    controls.bindField(m_controllers.clipArtContentVC->searchField(), QStringLiteral("searchClipArt:"), false);
    controls.bindField(m_controllers.codeContentVC->codeField(), QStringLiteral("previewCode:"), true);
    ZVClipArtContentViewController* clipArt = m_controllers.clipArtContentVC;
    menus.addCommand(QStringLiteral("searchClipArt:"), [clipArt] { clipArt->searchClipArt(); });
    ZVCodeContentViewController* codes = m_controllers.codeContentVC;
    menus.addCommand(QStringLiteral("previewCode:"), [codes] { codes->previewCode(); });
}

} // namespace ql
