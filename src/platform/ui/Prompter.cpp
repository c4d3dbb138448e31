#include "platform/ui/Prompter.h"

#include "platform/runtime/Deferred.h"

namespace ql {

void Prompter::beginSheetAlert(const AlertRequest& request, AlertCompletion completion)
{
    ql::after(0, nullptr, [this, request, completion = std::move(completion)] {
        const int index = runAlert(request);
        if (completion)
            completion(index);
    });
}

void Prompter::beginOpenPanel(const FilePanelRequest& request, OpenPanelCompletion completion)
{
    ql::after(0, nullptr, [this, request, completion = std::move(completion)] {
        const QStringList paths = runOpenPanel(request);
        if (completion)
            completion(paths);
    });
}

bool Prompter::runPrintDialog(QPrinter&, int)
{
    return false;
}

} // namespace ql
