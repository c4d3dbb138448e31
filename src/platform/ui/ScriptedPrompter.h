// A prompter and a workspace for tests: answers come from a script, and every
// request is kept for the test to inspect.
#pragma once

#include "platform/ui/Prompter.h"
#include "platform/ui/Workspace.h"

#include <QList>
#include <QObject>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <variant>

namespace ql {

class ScriptedPrompter : public Prompter {
public:
    // Queue the answers in the order the requests will come. A request with
    // no answer queued is answered as cancelled (alerts: the first button).
    void answerAlert(int buttonIndex) { m_answers.emplace_back(buttonIndex); }
    void answerOpenPanel(const QStringList& paths) { m_answers.emplace_back(paths); }
    void answerSavePanel(const std::optional<QString>& path) { m_answers.emplace_back(path); }
    void answerFolderPanel(const std::optional<QString>& path) { m_answers.emplace_back(path); }
    // The print dialog's answer: the function may set up the printer (a
    // file to print into) and says whether the user printed.
    using PrintAnswer = std::function<bool(QPrinter& printer)>;
    void answerPrintDialog(PrintAnswer answer) { m_answers.emplace_back(std::move(answer)); }

    int runAlert(const AlertRequest& request) override;
    QStringList runOpenPanel(const FilePanelRequest& request) override;
    std::optional<QString> runSavePanel(const FilePanelRequest& request) override;
    std::optional<QString> runFolderPanel(const FilePanelRequest& request) override;
    // Takes its scripted answer on the next turn of the event loop.
    void beginOpenPanel(const FilePanelRequest& request, OpenPanelCompletion completion) override;
    bool runPrintDialog(QPrinter& printer, int pageCount) override;
    // Sheets take their scripted answer on the next turn of the event loop,
    // or, while `holdSheets` is set, when the test finishes them.
    void beginSheetAlert(const AlertRequest& request, AlertCompletion completion) override;
    bool hasMainWindow() const override { return mainWindowAvailable; }
    // Ends the oldest held sheet with the given button; false when none is held.
    bool finishHeldSheet(int buttonIndex);
    int heldSheetCount() const { return static_cast<int>(m_heldSheets.size()); }

    QList<AlertRequest> alerts;
    int sheetCount = 0;
    bool holdSheets = false;
    bool mainWindowAvailable = true;
    QList<FilePanelRequest> panels;
    int unansweredRequests = 0;
    int printDialogCount = 0;

private:
    using Answer = std::variant<int, QStringList, std::optional<QString>, PrintAnswer>;
    template <class T>
    std::optional<T> next();

    std::deque<Answer> m_answers;
    std::deque<AlertCompletion> m_heldSheets;
    // Context of the deferred answers: none arrives after the prompter is gone.
    std::unique_ptr<QObject> m_lifetime = std::make_unique<QObject>();
};

class RecordingWorkspace : public Workspace {
public:
    bool openUrl(const QUrl& url) override;
    bool openFile(const QString& path) override;
    bool canOpenUrl(const QUrl& url) const override;

    QList<QUrl> openedUrls;
    mutable QList<QUrl> askedUrls;
    bool canOpen = true;
    QStringList openedFiles;
    bool succeed = true;
};

} // namespace ql
