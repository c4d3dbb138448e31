// A prompter and a workspace for tests: answers come from a script, and every
// request is kept for the test to inspect.
#pragma once

#include "platform/ui/Prompter.h"
#include "platform/ui/Workspace.h"

#include <QList>
#include <QUrl>
#include <deque>
#include <variant>

namespace ql {

class ScriptedPrompter : public Prompter {
public:
    // Queue the answers in the order the requests will come. A request with
    // no answer queued is answered as cancelled (alerts: the first button).
    void answerAlert(int buttonIndex) { m_answers.emplace_back(buttonIndex); }
    void answerOpenPanel(const QStringList& paths) { m_answers.emplace_back(paths); }
    void answerSavePanel(const std::optional<QString>& path) { m_answers.emplace_back(path); }

    int runAlert(const AlertRequest& request) override;
    QStringList runOpenPanel(const FilePanelRequest& request) override;
    std::optional<QString> runSavePanel(const FilePanelRequest& request) override;
    std::optional<QString> runFolderPanel(const FilePanelRequest& request) override;

    QList<AlertRequest> alerts;
    QList<FilePanelRequest> panels;
    int unansweredRequests = 0;

private:
    using Answer = std::variant<int, QStringList, std::optional<QString>>;
    template <class T>
    std::optional<T> next();

    std::deque<Answer> m_answers;
};

class RecordingWorkspace : public Workspace {
public:
    bool openUrl(const QUrl& url) override;
    bool openFile(const QString& path) override;

    QList<QUrl> openedUrls;
    QStringList openedFiles;
    bool succeed = true;
};

} // namespace ql
