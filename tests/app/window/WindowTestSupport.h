// A new document in its own window, shown at a fixed size on the offscreen
// screen, with its first page at hand.
#pragma once

#include "../document/DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "platform/runtime/Deferred.h"

#include <QCoreApplication>

namespace ql::testing {

class WindowFixture : public DocumentFixture {
protected:
    void SetUp() override
    {
        document = controller.newDocument();
        window = qobject_cast<DocumentWindow*>(document->documentWindow());
        ASSERT_NE(window, nullptr);
        window->resize(1400, 1000);
        window->show();
        DeferredCalls::instance().flush();
        page = document->currentPage();
    }

    // Zooms the canvas. A zoom makes the page react, a moment later, as to a
    // press on its empty area, deselecting everything: that happens now, not
    // in the middle of whatever the test does next.
    void zoomTo(double magnification)
    {
        window->scrollView()->setMagnification(magnification);
        DeferredCalls::instance().flush();
    }

    // Puts the element on the page at the frame.
    ZVPuttyView* add(std::unique_ptr<ZVPuttyView> made, const QRectF& frame)
    {
        made->setFrame(frame);
        ZVPuttyView* element = made.release();
        page->addPuttyView(element);
        QCoreApplication::processEvents();
        return element;
    }

    Document* document = nullptr;
    DocumentWindow* window = nullptr;
    ZVCanvasView* page = nullptr;
};

} // namespace ql::testing
