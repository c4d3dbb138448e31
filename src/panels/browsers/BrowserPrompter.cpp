#include "panels/browsers/BrowserPrompter.h"

#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/window/DocumentWindow.h"
#include "platform/ui/Prompter.h"

namespace ql {

Prompter* browserPrompter(QObject* document)
{
    auto* owner = qobject_cast<Document*>(document);
    if (auto* window = owner ? qobject_cast<DocumentWindow*>(owner->documentWindow()) : nullptr) {
        if (Prompter* prompter = window->controller().prompter())
            return prompter;
    }
    return DocumentController::shared().prompter();
}

void showBrowserAlert(QObject* document, const QString& message, const QString& details)
{
    Prompter* prompter = browserPrompter(document);
    if (!prompter)
        return;
    AlertRequest request;
    request.messageText = message;
    request.informativeText = details;
    prompter->beginSheetAlert(request, {});
}

} // namespace ql
