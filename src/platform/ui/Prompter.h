// What models and commands ask of the user goes through this seam: alerts
// and open/save/folder panels. The window implements it with real dialogs;
// tests script the answers.
#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPrinter;

namespace ql {

struct AlertRequest {
    enum class Style { Warning, Informational, Critical };
    // A read-only scrolling text under the message, such as release notes.
    struct TextAccessory {
        QString text;
        QSizeF size; // in points
    };
    QString messageText;
    QString informativeText;
    QStringList buttons; // first is the default button; empty means one "OK"
    Style style = Style::Warning;
    std::optional<TextAccessory> accessory;
};

struct FilePanelRequest {
    QString title;
    QString directory;
    QString suggestedName;        // save panels
    QString prompt;               // the confirming button's title; empty: the panel's own
    QStringList allowedExtensions; // without dots; empty means any
    bool allowsMultipleSelection = false;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // The index of the button chosen, 0 for the first.
    virtual int runAlert(const AlertRequest& request) = 0;
    // Shows the alert attached to the main window (or on its own when there
    // is none) and returns at once; `completion` gets the chosen index later,
    // on the main thread. Without sheets of its own, a prompter runs the
    // alert on the next turn of the event loop.
    using AlertCompletion = std::function<void(int buttonIndex)>;
    virtual void beginSheetAlert(const AlertRequest& request, AlertCompletion completion);
    // Whether a main window is there to attach sheets to.
    virtual bool hasMainWindow() const { return true; }
    // The chosen files, empty when cancelled.
    virtual QStringList runOpenPanel(const FilePanelRequest& request) = 0;
    // An open panel that leaves the window usable and returns at once;
    // `completion` gets the chosen files (empty when cancelled) later, on the
    // main thread. Without panels of its own, a prompter runs the modal one
    // on the next turn of the event loop.
    using OpenPanelCompletion = std::function<void(const QStringList& paths)>;
    virtual void beginOpenPanel(const FilePanelRequest& request, OpenPanelCompletion completion);
    virtual std::optional<QString> runSavePanel(const FilePanelRequest& request) = 0;
    virtual std::optional<QString> runFolderPanel(const FilePanelRequest& request) = 0;
    // The print dialog on the printer's settings, which it may change (the
    // range among `pageCount` pages, copies, collation); false when the user
    // cancelled. A prompter that cannot print answers false.
    virtual bool runPrintDialog(QPrinter& printer, int pageCount);
};

} // namespace ql
