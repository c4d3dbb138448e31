// What models and commands ask of the user goes through this seam: alerts
// and open/save/folder panels. The window implements it with real dialogs;
// tests script the answers.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace ql {

struct AlertRequest {
    enum class Style { Warning, Informational, Critical };
    QString messageText;
    QString informativeText;
    QStringList buttons; // first is the default button; empty means one "OK"
    Style style = Style::Warning;
};

struct FilePanelRequest {
    QString title;
    QString directory;
    QString suggestedName;        // save panels
    QStringList allowedExtensions; // without dots; empty means any
    bool allowsMultipleSelection = false;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // The index of the button chosen, 0 for the first.
    virtual int runAlert(const AlertRequest& request) = 0;
    // The chosen files, empty when cancelled.
    virtual QStringList runOpenPanel(const FilePanelRequest& request) = 0;
    virtual std::optional<QString> runSavePanel(const FilePanelRequest& request) = 0;
    virtual std::optional<QString> runFolderPanel(const FilePanelRequest& request) = 0;
};

} // namespace ql
