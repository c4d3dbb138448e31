#include "platform/ui/ScriptedPrompter.h"

#include "platform/runtime/Deferred.h"

#include <QtDebug>

namespace ql {

template <class T>
std::optional<T> ScriptedPrompter::next()
{
    if (m_answers.empty()) {
        ++unansweredRequests;
        return std::nullopt;
    }
    Answer answer = std::move(m_answers.front());
    m_answers.pop_front();
    if (!std::holds_alternative<T>(answer)) {
        qWarning("ScriptedPrompter: the next scripted answer is for another kind of request");
        ++unansweredRequests;
        return std::nullopt;
    }
    return std::get<T>(std::move(answer));
}

int ScriptedPrompter::runAlert(const AlertRequest& request)
{
    alerts.append(request);
    return next<int>().value_or(0);
}

void ScriptedPrompter::beginSheetAlert(const AlertRequest& request, AlertCompletion completion)
{
    alerts.append(request);
    ++sheetCount;
    if (holdSheets) {
        m_heldSheets.push_back(std::move(completion));
        return;
    }
    ql::after(0, m_lifetime.get(), [this, completion = std::move(completion)] {
        const int index = next<int>().value_or(0);
        if (completion)
            completion(index);
    });
}

bool ScriptedPrompter::finishHeldSheet(int buttonIndex)
{
    if (m_heldSheets.empty())
        return false;
    AlertCompletion completion = std::move(m_heldSheets.front());
    m_heldSheets.pop_front();
    if (completion)
        completion(buttonIndex);
    return true;
}

QStringList ScriptedPrompter::runOpenPanel(const FilePanelRequest& request)
{
    panels.append(request);
    return next<QStringList>().value_or(QStringList());
}

void ScriptedPrompter::beginOpenPanel(const FilePanelRequest& request, OpenPanelCompletion completion)
{
    panels.append(request);
    ql::after(0, m_lifetime.get(), [this, completion = std::move(completion)] {
        const QStringList paths = next<QStringList>().value_or(QStringList());
        if (completion)
            completion(paths);
    });
}

std::optional<QString> ScriptedPrompter::runSavePanel(const FilePanelRequest& request)
{
    panels.append(request);
    return next<std::optional<QString>>().value_or(std::nullopt);
}

std::optional<QString> ScriptedPrompter::runFolderPanel(const FilePanelRequest& request)
{
    panels.append(request);
    return next<std::optional<QString>>().value_or(std::nullopt);
}

bool ScriptedPrompter::runPrintDialog(QPrinter& printer, int)
{
    ++printDialogCount;
    const std::optional<PrintAnswer> answer = next<PrintAnswer>();
    return answer && *answer && (*answer)(printer);
}

bool RecordingWorkspace::openUrl(const QUrl& url)
{
    openedUrls.append(url);
    return succeed;
}

bool RecordingWorkspace::canOpenUrl(const QUrl& url) const
{
    askedUrls.append(url);
    return canOpen;
}

bool RecordingWorkspace::openFile(const QString& path)
{
    openedFiles.append(path);
    return succeed;
}

} // namespace ql
