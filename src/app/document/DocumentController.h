// Creates, opens, saves, reverts and closes documents, keeps the list of open
// documents and of recently used files, knows the current document (the one
// whose window was active last) and autosaves edited documents into their own
// files, keeping the version last opened or saved to revert to. Everything it
// asks of the user goes through a Prompter.
#pragma once

#include "app/document/Document.h"
#include "app/document/SavedVersion.h"
#include "platform/Error.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;
class QWindow;

namespace ql {

class Prompter;
class EmailService;
class SharingService;
class ShowInFolderService;
class UserDefaults;
class Workspace;

// File extensions of the two document types (without dots).
inline const QString kDesktopDocumentExtension = QStringLiteral("qvleaf");
inline const QString kMobileDocumentExtension = QStringLiteral("qvmobile");

class DocumentController : public QObject {
    Q_OBJECT
public:
    // Makes the window of a document; it must call Document::addWindow.
    using WindowFactory = std::function<QWidget*(Document& document, DocumentController& controller, bool isNew)>;

    explicit DocumentController(QObject* parent = nullptr);
    ~DocumentController() override;

    // The program's controller, through which models reach the current
    // document's undo manager.
    static DocumentController& shared();

    void setPrompter(Prompter* prompter) { m_prompter = prompter; }
    Prompter* prompter() const { return m_prompter; }
    void setWindowFactory(WindowFactory factory) { m_windowFactory = std::move(factory); }
    // Recent documents are kept there (default: the standard user defaults).
    void setUserDefaults(UserDefaults* defaults) { m_defaults = defaults; }
    UserDefaults& userDefaults() const { return defaults(); }
    // The desktop, which opens previews and shared pictures; none by default.
    void setWorkspace(Workspace* workspace);
    Workspace* workspace() const { return m_workspace; }
    // The services the share menu offers: those set, else e-mail and
    // showing the pictures in a folder when there is a workspace to open it.
    void setSharingServices(const QList<SharingService*>& services) { m_sharingServices = services; }
    QList<SharingService*> sharingServices() const;
    // How long after the first unsaved change an autosave follows.
    void setAutosaveDelay(int milliseconds) { m_autosaveDelay = milliseconds; }
    int autosaveDelay() const { return m_autosaveDelay; }

    QList<Document*> documents() const;
    Document* currentDocument() const { return m_currentDocument; }
    Document* documentForFile(const QString& path) const;

    // The document type of a file by its extension, or an empty string.
    static QString typeForFile(const QString& path);

    // Commands. Failures are shown to the user and returned.
    Document* newDocument();
    Result<Document*> openDocumentWithContentsOfFile(const QString& path);
    // Opens each path (as a desktop opens files with the program); returns the
    // documents that opened.
    QList<Document*> openDocuments(const QStringList& paths);
    QList<Document*> openDocumentFromPanel();
    Result<Document*> importDocumentFromPanel();
    // A document read from data that has no file, as templates open.
    Result<Document*> openUntitledDocumentWithData(const QByteArray& data, const QString& typeName);
    Status saveDocument(Document* document);
    Status saveDocumentAs(Document* document);
    Status saveDocumentToFile(Document* document, const QString& path);
    // Back to the version last opened or saved, which autosave may have
    // written over: the document and its file both.
    Status revertDocumentToSaved(Document* document);
    // Whether there is anything to revert: unsaved changes, or changes
    // autosaved since the version the user opened or saved.
    bool canRevertDocumentToSaved(const Document* document) const;
    // Asks about unsaved changes; false when the user cancelled or saving failed.
    bool closeDocument(Document* document);
    bool closeAllDocuments();

    QStringList recentDocumentPaths() const;
    void noteRecentDocument(const QString& path);
    void clearRecentDocuments();

signals:
    void documentsChanged();
    void currentDocumentChanged(Document* document);
    void recentDocumentsChanged();

private:
    // Documents and their timers are children of the controller.
    struct OpenDocument {
        Document* document;
        QTimer* autosaveTimer;
        // The changed file an autosave last left alone and told the user about.
        FileStamp refusedFile;
        // The file as last opened or saved; autosave waits while none is kept.
        std::unique_ptr<SavedVersion> savedVersion;
        bool autosavedSinceKept = false;
        // An autosave refused because the file would be too large to open
        // again: autosave waits for a save by hand.
        bool autosaveTooLarge = false;
    };

    enum class SaveOperation { Save, Autosave };

    Result<Document*> readDocument(const QByteArray& data, const QString& typeName, const QString& filePath);
    // Tells the user that the file could not be opened, and why.
    Error refuseToOpen(const QString& path, const Error& error);
    Status writeDocument(Document* document, const QString& path, SaveOperation operation);
    // Before writing over the document's own file: has another program changed
    // it since it was last read or written here? An autosave then leaves it
    // alone; a save asks whether to save anyway, revert or cancel.
    Status checkOwnFileUnchanged(Document* document, SaveOperation operation);
    // Once for each change of the file by another program: why autosave
    // leaves the document unsaved.
    void tellAutosaveRefused(Document* document, const FileStamp& file, const QString& message);
    void stopAutosavingTooLarge(Document* document, const Error& error);
    // Reads the document's file again, without asking.
    Status reloadFromFile(Document* document);
    // Puts the kept version back into the document and its file.
    Status restoreSavedVersion(Document* document, OpenDocument& open);
    // The document becomes what the data holds, with nothing to undo.
    Status replaceContents(Document* document, const QByteArray& data);
    // The document's file now holds `data`, as opened or saved by the user.
    void keepSavedVersion(Document* document, const QByteArray& data);
    // After the document's file was written: its stamp and its picture.
    void noteFileWritten(Document* document);
    Document* adopt(Document* document, bool isNew);
    void showWindow(Document& document, bool isNew);
    void documentChanged(Document* document);
    void autosave(Document* document);
    void setCurrentDocument(Document* document);
    void focusWindowChanged(QWindow* window);
    OpenDocument* find(const Document* document);
    const OpenDocument* find(const Document* document) const;
    void reportError(const QString& messageText, const Error& error);
    UserDefaults& defaults() const;

    Prompter* m_prompter = nullptr;
    WindowFactory m_windowFactory;
    UserDefaults* m_defaults = nullptr;
    Workspace* m_workspace = nullptr;
    std::optional<QList<SharingService*>> m_sharingServices;
    std::unique_ptr<ShowInFolderService> m_showInFolder;
    // Made when first asked for: it needs the application's bus.
    mutable std::unique_ptr<EmailService> m_email;
    int m_autosaveDelay = 15000;
    int m_untitledCount = 0;
    std::vector<OpenDocument> m_documents;
    QPointer<Document> m_currentDocument;
};

} // namespace ql
