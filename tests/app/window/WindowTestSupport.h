// A new document in its own window, shown at a fixed size on the offscreen
// screen, with its first page at hand.
#pragma once

#include "../document/DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"
#include "platform/runtime/Deferred.h"

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

    Document* document = nullptr;
    DocumentWindow* window = nullptr;
    ZVCanvasView* page = nullptr;
};

} // namespace ql::testing
