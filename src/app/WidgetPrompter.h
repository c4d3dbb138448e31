// The real prompter and workspace: Qt dialogs and the desktop's handlers.
#pragma once

#include "platform/ui/Prompter.h"
#include "platform/ui/Workspace.h"

#include <QPointer>
#include <memory>
#include <QWidget>

class WidgetPrompter : public ql::Prompter {
public:
    explicit WidgetPrompter(QWidget* parentWindow = nullptr) : m_parent(parentWindow) {}

    int runAlert(const ql::AlertRequest& request) override;
    // A window-modal box on the main window that returns at once.
    void beginSheetAlert(const ql::AlertRequest& request, AlertCompletion completion) override;
    bool hasMainWindow() const override { return mainWindow() != nullptr; }
    QStringList runOpenPanel(const ql::FilePanelRequest& request) override;
    // A file dialog of its own that leaves the windows usable.
    void beginOpenPanel(const ql::FilePanelRequest& request, OpenPanelCompletion completion) override;
    std::optional<QString> runSavePanel(const ql::FilePanelRequest& request) override;
    std::optional<QString> runFolderPanel(const ql::FilePanelRequest& request) override;
    bool runPrintDialog(QPrinter& printer, int pageCount) override;

private:
    // The given parent, else the active window, else any visible window.
    QWidget* mainWindow() const;
    // The request's folder; for a request that names none, where the last
    // panel ended, else the documents folder, else home. Left empty, a Qt
    // panel would start in whatever folder the program was started from.
    QString startFolder(const ql::FilePanelRequest& request) const;

    QPointer<QWidget> m_parent;
    // Shared with panels still open when the prompter goes.
    std::shared_ptr<QString> m_lastFolder = std::make_shared<QString>();
};

class DesktopWorkspace : public ql::Workspace {
public:
    bool openUrl(const QUrl& url) override;
    // False, with nothing started, when no application opens files of the
    // file's type: the desktop would start its opener, which then fails
    // where nobody sees it.
    bool openFile(const QString& path) override;
    // Asks the desktop (xdg-mime) for the handler of the URL's scheme.
    bool canOpenUrl(const QUrl& url) const override;
    // Asks the desktop for an application that opens files of the file's
    // type; yes when it cannot tell.
    bool canOpenFile(const QString& path) const;
};
