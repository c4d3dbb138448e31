// Elements the document places itself, the inserts it hands to the
// browsers, and the way to the window that shows its pages.
#include "app/document/Document.h"

#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "panels/browsers/ElementPlacement.h"
#include "panels/browsers/ZVClipArtContentViewController.h"
#include "panels/browsers/ZVCodeContentViewController.h"
#include "panels/browsers/ZVImageContentViewController.h"
#include "panels/browsers/ZVShapeContentViewController.h"
#include "panels/browsers/ZVTextContentViewController.h"
#include "platform/runtime/Deferred.h"

#include <QComboBox>
#include <QLineEdit>

namespace ql {

namespace {

// The content pane's tabs.
enum ContentTab { ImagesTab = 0, TextTab = 1, ShapesTab = 2, ClipArtTab = 3, CodesTab = 4 };

// How long a browser the pane has just switched to takes to be ready.
constexpr int kBrowserLoadDelay = 100;

DocumentWindow* windowOf(const Document& document)
{
    return qobject_cast<DocumentWindow*>(document.documentWindow());
}

} // namespace

void Document::insert3DText()
{
    ZVCanvasView* page = currentPage();
    if (!page)
        return;
    std::unique_ptr<ZVPuttyView> made = ZVPuttyView::initWith3DText(QObject::tr("Double click to rotate me."));
    made->setFrame(QRectF(0, 0, 500, 200));
    placement::insertCentred(*page, made.release());
}

void Document::insertShapeWithIndex(int index)
{
    DocumentWindow* window = windowOf(*this);
    if (!window)
        return;
    window->changeContentView(ShapesTab);
    // The deferred half goes with the document: a document closed in the
    // meantime gets nothing.
    after(kBrowserLoadDelay, this, [this, index] {
        if (DocumentWindow* shown = windowOf(*this))
            shown->controllers().shapeContentVC->insertShapeWithIndex(index);
    });
}

void Document::insertImage()
{
    if (DocumentWindow* window = windowOf(*this)) {
        window->changeContentView(ImagesTab);
        window->controllers().imageContentVC->openFile(nullptr);
    }
}

void Document::insertPageNumber()
{
    if (DocumentWindow* window = windowOf(*this))
        window->controllers().textContentVC->insertTextWithType(1);
}

void Document::insertDate()
{
    if (DocumentWindow* window = windowOf(*this))
        window->controllers().textContentVC->insertTextWithType(2);
}

void Document::insertText()
{
    if (DocumentWindow* window = windowOf(*this)) {
        window->changeContentView(TextTab);
        window->controllers().textContentVC->insertText(nullptr);
    }
}

void Document::insertTextWithStyle(int style)
{
    DocumentWindow* window = windowOf(*this);
    if (!window)
        return;
    window->changeContentView(TextTab);
    // The style is set right before this box is made, so inserts in quick
    // succession each keep their own.
    after(kBrowserLoadDelay, this, [this, style] {
        DocumentWindow* shown = windowOf(*this);
        if (!shown)
            return;
        ZVTextContentViewController* browser = shown->controllers().textContentVC;
        browser->stylePicker()->setCurrentIndex(style);
        browser->setStyle();
        browser->insertText(nullptr);
    });
}

void Document::insertShape()
{
    if (DocumentWindow* window = windowOf(*this))
        window->changeContentView(ShapesTab);
}

void Document::insertClipArt()
{
    if (DocumentWindow* window = windowOf(*this)) {
        window->changeContentView(ClipArtTab);
        window->controllers().clipArtContentVC->searchField()->setFocus(Qt::OtherFocusReason);
    }
}

void Document::insertBarcode()
{
    if (DocumentWindow* window = windowOf(*this)) {
        window->changeContentView(CodesTab);
        window->controllers().codeContentVC->codeField()->setFocus(Qt::OtherFocusReason);
    }
}

CanvasHost* Document::canvasHost()
{
    return windowOf(*this);
}

} // namespace ql
