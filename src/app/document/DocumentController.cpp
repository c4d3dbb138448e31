#include "app/document/DocumentController.h"

#include "app/document/DesktopThumbnail.h"
#include "app/document/DocumentBudget.h"
#include "app/export/EmailService.h"
#include "app/export/ShowInFolderService.h"
#include "app/window/DocumentWindow.h"
#include "platform/archive/ArchiveError.h"
#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/FileReading.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/Prompter.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <new>

namespace ql {

namespace {

const QString kRecentDocumentsKey = QStringLiteral("recentDocuments");
constexpr int kMaximumRecentDocuments = 10;

QString quoted(const QString& path)
{
    return QFileInfo(path).fileName();
}

Error documentError(int code, const QString& message)
{
    return Error {QStringLiteral("Document"), code, message};
}

Result<QByteArray> readWholeFile(const QString& path)
{
    Result<QByteArray> data = readFileWithin(path, DocumentBudget::kMaxBytes);
    if (data)
        return data;
    switch (FileReadingError(data.error().code)) {
    case FileReadingError::Missing:
        return documentError(2, QObject::tr("The file “%1” does not exist.").arg(quoted(path)));
    case FileReadingError::NotRegular:
        return documentError(
            12, QObject::tr("The file “%1” is not a document Quiverleaf can open: it is not a regular file.").arg(quoted(path)));
    case FileReadingError::TooLarge:
        return documentError(4, QObject::tr("The file “%1” is too large to be a document.").arg(quoted(path)));
    case FileReadingError::Unreadable:
        break;
    }
    return documentError(3, data.error().message);
}

// The alert's message for a document that could not be opened (one of no
// file when `fileName` is empty); what the reader found wrong is left for
// the informative text.
QString openFailure(const QString& fileName, const Error& error)
{
    if (error.domain != archiveErrorDomain) {
        return fileName.isEmpty() ? QObject::tr("The document could not be opened.")
                                  : QObject::tr("The document “%1” could not be opened.").arg(fileName);
    }
    return fileName.isEmpty()
        ? QObject::tr("The document could not be opened because it is damaged or is not a Quiverleaf document.")
        : QObject::tr("The document “%1” could not be opened because it is damaged or is not a Quiverleaf document.")
              .arg(fileName);
}

// The document's archive. Memory running out while it is made fails the
// save like any other cause: nothing of the document has changed yet.
Result<QByteArray> archiveOf(Document& document)
{
    try {
        return document.dataOfType(kDesktopDocumentType);
    } catch (const std::bad_alloc&) {
        return documentError(13, QObject::tr("There is not enough memory to save it. Close other documents or "
                                             "programs and save again."));
    }
}

QString canonical(const QString& path)
{
    const QFileInfo info(path);
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

} // namespace

DocumentController::DocumentController(QObject* parent) : QObject(parent)
{
    m_windowFactory = [](Document& document, DocumentController& controller, bool isNew) -> QWidget* {
        return new DocumentWindow(document, controller, isNew);
    };
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::focusWindowChanged, this, &DocumentController::focusWindowChanged);
}

DocumentController::~DocumentController()
{
    for (OpenDocument& open : m_documents)
        for (QWidget* window : open.document->windows())
            delete window;
}

void DocumentController::setWorkspace(Workspace* workspace)
{
    m_workspace = workspace;
    m_showInFolder = workspace ? std::make_unique<ShowInFolderService>(*workspace) : nullptr;
}

QList<SharingService*> DocumentController::sharingServices() const
{
    if (m_sharingServices)
        return *m_sharingServices;
    if (!m_email)
        m_email = std::make_unique<EmailService>();
    QList<SharingService*> services {m_email.get()};
    if (m_showInFolder)
        services << m_showInFolder.get();
    return services;
}

DocumentController& DocumentController::shared()
{
    static DocumentController* controller = new DocumentController(QCoreApplication::instance());
    return *controller;
}

QList<Document*> DocumentController::documents() const
{
    QList<Document*> result;
    for (const OpenDocument& open : m_documents)
        result.append(open.document);
    return result;
}

Document* DocumentController::documentForFile(const QString& path) const
{
    const QString wanted = canonical(path);
    for (const OpenDocument& open : m_documents)
        if (!open.document->filePath().isEmpty() && canonical(open.document->filePath()) == wanted)
            return open.document;
    return nullptr;
}

QString DocumentController::typeForFile(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == kDesktopDocumentExtension)
        return kDesktopDocumentType;
    if (extension == kMobileDocumentExtension)
        return kMobileDocumentType;
    return QString();
}

Document* DocumentController::newDocument()
{
    return adopt(new Document(this), true);
}

Result<Document*> DocumentController::openDocumentWithContentsOfFile(const QString& path)
{
    if (Document* open = documentForFile(path)) {
        if (QWidget* window = open->documentWindow()) {
            window->raise();
            window->activateWindow();
        }
        setCurrentDocument(open);
        return open;
    }
    const QString typeName = typeForFile(path);
    if (typeName.isEmpty())
        return refuseToOpen(path, documentError(5, tr("The file “%1” is not a Quiverleaf document.").arg(quoted(path))));
    // Taken before reading: a change made meanwhile is noticed at the next save.
    const FileStamp stamp = FileStamp::of(path);
    const Result<QByteArray> data = readWholeFile(path);
    if (!data)
        return refuseToOpen(path, data.error());
    const Result<Document*> result = readDocument(*data, typeName, canonical(path));
    if (!result) {
        // What the reader found wrong does not say which file it was in.
        refuseToOpen(path, result.error());
        return Error {result.error().domain, result.error().code,
                      tr("“%1”: %2").arg(quoted(path), result.error().message)};
    }
    Document* document = *result;
    if (!document->filePath().isEmpty()) {
        document->setFileStamp(stamp);
        noteRecentDocument(document->filePath());
    }
    adopt(document, false);
    keepSavedVersion(document, *data);
    return document;
}

QList<Document*> DocumentController::openDocuments(const QStringList& paths)
{
    QList<Document*> opened;
    for (const QString& path : paths)
        if (Result<Document*> document = openDocumentWithContentsOfFile(path))
            opened.append(*document);
    return opened;
}

QList<Document*> DocumentController::openDocumentFromPanel()
{
    if (!m_prompter)
        return {};
    FilePanelRequest request;
    request.title = tr("Open");
    request.allowedExtensions = {kDesktopDocumentExtension};
    request.allowsMultipleSelection = true;
    return openDocuments(m_prompter->runOpenPanel(request));
}

Result<Document*> DocumentController::importDocumentFromPanel()
{
    FilePanelRequest request;
    request.title = tr("Import");
    request.allowedExtensions = {kMobileDocumentExtension};
    const QStringList paths = m_prompter ? m_prompter->runOpenPanel(request) : QStringList();
    if (paths.isEmpty())
        return documentError(6, tr("No file was chosen."));
    return openDocumentWithContentsOfFile(paths.first());
}

Error DocumentController::refuseToOpen(const QString& path, const Error& error)
{
    reportError(openFailure(quoted(path), error), error);
    return error;
}

Result<Document*> DocumentController::openUntitledDocumentWithData(const QByteArray& data, const QString& typeName)
{
    Result<Document*> result = readDocument(data, typeName, QString());
    if (!result) {
        reportError(openFailure(QString(), result.error()), result.error());
        return result;
    }
    return adopt(*result, false);
}

Result<Document*> DocumentController::readDocument(const QByteArray& data, const QString& typeName,
                                                  const QString& filePath)
{
    auto document = std::make_unique<Document>();
    // The reader may clear the file again: imports become untitled.
    document->setFilePath(filePath);
    document->setFileType(typeName);
    if (const Status status = document->readFromData(data, typeName); !status)
        return status.error();
    document->undoManager()->removeAllActions();
    document->updateChangeCountCleared();
    document->setParent(this);
    return document.release();
}

Document* DocumentController::adopt(Document* document, bool isNew)
{
    document->setParent(this);
    if (document->filePath().isEmpty()) {
        ++m_untitledCount;
        document->setUntitledName(m_untitledCount == 1 ? tr("Untitled") : tr("Untitled %1").arg(m_untitledCount));
    }
    auto* timer = new QTimer(document);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, document] { autosave(document); });
    connect(document, &Document::documentStateChanged, this, [this, document] { documentChanged(document); });
    m_documents.push_back({document, timer, {}, std::make_unique<SavedVersion>()});
    showWindow(*document, isNew);
    emit documentsChanged();
    return document;
}

void DocumentController::showWindow(Document& document, bool isNew)
{
    QWidget* window = m_windowFactory ? m_windowFactory(document, *this, isNew) : nullptr;
    setCurrentDocument(&document);
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

void DocumentController::documentChanged(Document* document)
{
    OpenDocument* open = find(document);
    if (!open || open->autosaveTimer->isActive())
        return;
    // Autosave writes into the document's own file; untitled documents and
    // imports wait for the user to choose one. Without the version to revert
    // to, the file is written only when the user says so.
    if (document->isDocumentEdited() && !document->filePath().isEmpty() && document->fileType() == kDesktopDocumentType
        && open->savedVersion->isKept())
        open->autosaveTimer->start(m_autosaveDelay);
}

void DocumentController::autosave(Document* document)
{
    const OpenDocument* open = find(document);
    if (!open || !open->savedVersion->isKept() || !document->isDocumentEdited() || document->filePath().isEmpty())
        return;
    writeDocument(document, document->filePath(), SaveOperation::Autosave);
}

Status DocumentController::saveDocument(Document* document)
{
    if (document->filePath().isEmpty() || document->fileType() != kDesktopDocumentType)
        return saveDocumentAs(document);
    return saveDocumentToFile(document, document->filePath());
}

Status DocumentController::saveDocumentAs(Document* document)
{
    FilePanelRequest request;
    request.title = tr("Save As");
    request.suggestedName = document->displayName() + QLatin1Char('.') + kDesktopDocumentExtension;
    if (!document->filePath().isEmpty())
        request.directory = QFileInfo(document->filePath()).absolutePath();
    request.allowedExtensions = {kDesktopDocumentExtension};
    std::optional<QString> path = m_prompter ? m_prompter->runSavePanel(request) : std::nullopt;
    if (!path || path->isEmpty())
        return documentError(7, tr("Saving was cancelled."));
    QString chosen = *path;
    if (QFileInfo(chosen).suffix().toLower() != kDesktopDocumentExtension) {
        chosen += QLatin1Char('.') + kDesktopDocumentExtension;
        // The panel confirmed the name without the extension; the file it
        // names now was never offered for replacing.
        if (QFileInfo::exists(chosen) && m_prompter) {
            AlertRequest question;
            question.messageText = tr("“%1” already exists. Do you want to replace it?").arg(quoted(chosen));
            question.informativeText = tr("Replacing it will overwrite its current contents.");
            question.buttons = {tr("Replace"), tr("Cancel")};
            question.style = AlertRequest::Style::Warning;
            if (m_prompter->runAlert(question) != 0)
                return documentError(7, tr("Saving was cancelled."));
        }
    }
    return saveDocumentToFile(document, chosen);
}

Status DocumentController::saveDocumentToFile(Document* document, const QString& path)
{
    return writeDocument(document, path, SaveOperation::Save);
}

Status DocumentController::writeDocument(Document* document, const QString& path, SaveOperation operation)
{
    // The save point follows every change made so far, one made in this very
    // turn included.
    document->undoManager()->closeTurnGroup();
    if (Document* other = documentForFile(path); other && other != document) {
        // Two documents bound to one file would overwrite each other's saves.
        const QString message = tr("“%1” is open in another window.").arg(quoted(path));
        if (m_prompter) {
            AlertRequest alert;
            alert.messageText = message;
            alert.informativeText = tr("Close it there first, or save this document under another name.");
            alert.style = AlertRequest::Style::Warning;
            m_prompter->runAlert(alert);
        }
        return documentError(9, message);
    }
    if (!document->filePath().isEmpty() && canonical(path) == canonical(document->filePath())) {
        if (Status unchanged = checkOwnFileUnchanged(document, operation); !unchanged)
            return unchanged;
    }
    Status status;
    Result<QByteArray> data = archiveOf(*document);
    if (!data)
        status = data.error();
    else
        status = writeFileAtomically(path, *data);
    if (!status) {
        reportError(tr("The document “%1” could not be saved.").arg(document->displayName()), status.error());
        return status;
    }
    if (OpenDocument* open = find(document)) {
        open->autosaveTimer->stop();
        open->autosavedSinceKept = operation == SaveOperation::Autosave;
    }
    document->setFileType(kDesktopDocumentType);
    document->setFilePath(canonical(path));
    noteFileWritten(document);
    document->updateChangeCountCleared();
    noteRecentDocument(document->filePath());
    if (operation == SaveOperation::Save)
        keepSavedVersion(document, *data);
    return {};
}

void DocumentController::noteFileWritten(Document* document)
{
    document->setFileStamp(FileStamp::of(document->filePath()));
    // Written once the file is final, so that its stamp matches the file; a
    // missing picture in file managers is no reason to fail a save.
    if (ZVCanvasView* first = document->pages().value(0)) {
        try {
            if (const Status thumbnail = DesktopThumbnail::write(*first, document->filePath()); !thumbnail)
                qWarning().noquote() << thumbnail.error().message;
        } catch (const std::bad_alloc&) {
            qWarning().noquote() << tr("The picture of “%1” for file managers was left out: memory ran out.")
                                        .arg(document->displayName());
        }
    }
}

void DocumentController::keepSavedVersion(Document* document, const QByteArray& data)
{
    OpenDocument* open = find(document);
    if (!open)
        return;
    open->autosavedSinceKept = false;
    if (document->filePath().isEmpty() || document->fileType() != kDesktopDocumentType) {
        open->savedVersion->discard();
        return;
    }
    if (const Status kept = open->savedVersion->keep(data); !kept)
        qWarning().noquote() << tr("“%1” is not saved automatically: the version to revert to could not be kept.")
                                    .arg(document->displayName())
                             << kept.error().message;
}

Status DocumentController::revertDocumentToSaved(Document* document)
{
    if (document->filePath().isEmpty())
        return documentError(8, tr("The document has never been saved."));
    if (m_prompter) {
        AlertRequest question;
        question.messageText =
            tr("Do you want to revert to the most recently saved version of the document “%1”?").arg(document->displayName());
        question.informativeText = tr("Your current changes will be lost.");
        question.buttons = {tr("Revert"), tr("Cancel")};
        if (m_prompter->runAlert(question) != 0)
            return documentError(7, tr("Reverting was cancelled."));
    }
    OpenDocument* open = find(document);
    // A file another program has changed since is what there is to go back
    // to; a file that is gone is written anew.
    const FileStamp now = FileStamp::of(document->filePath());
    if (!open || !open->savedVersion->isKept() || (now.exists && now != document->fileStamp()))
        return reloadFromFile(document);
    return restoreSavedVersion(document, *open);
}

bool DocumentController::canRevertDocumentToSaved(const Document* document) const
{
    const OpenDocument* open = find(document);
    return !document->filePath().isEmpty() && (document->isDocumentEdited() || (open && open->autosavedSinceKept));
}

Status DocumentController::restoreSavedVersion(Document* document, OpenDocument& open)
{
    Result<QByteArray> data = open.savedVersion->read();
    Status status = data ? replaceContents(document, *data) : Status(data.error());
    if (!status) {
        reportError(tr("The document “%1” could not be reverted.").arg(document->displayName()), status.error());
        return status;
    }
    open.autosaveTimer->stop();
    open.autosavedSinceKept = false;
    status = writeFileAtomically(document->filePath(), *data);
    if (!status) {
        // The file still holds what autosave wrote: the document stays
        // edited, so that it is written again.
        document->updateChangeCountDone();
        reportError(tr("The document “%1” was reverted, but its file could not be rewritten.").arg(document->displayName()),
                    status.error());
        return status;
    }
    noteFileWritten(document);
    return {};
}

Status DocumentController::reloadFromFile(Document* document)
{
    const QString path = document->filePath();
    const FileStamp stamp = FileStamp::of(path);
    Result<QByteArray> data = readWholeFile(path);
    Status status = data ? replaceContents(document, *data) : Status(data.error());
    if (!status) {
        reportError(tr("The document “%1” could not be reverted.").arg(document->displayName()), status.error());
        return status;
    }
    document->setFileStamp(stamp);
    // The document is the file as read now, as if just opened.
    keepSavedVersion(document, *data);
    return {};
}

Status DocumentController::replaceContents(Document* document, const QByteArray& data)
{
    if (Status status = document->readFromData(data, document->fileType()); !status)
        return status;
    document->showFirstPage();
    document->undoManager()->removeAllActions();
    document->updateChangeCountCleared();
    emit document->contentsReplaced();
    return {};
}

Status DocumentController::checkOwnFileUnchanged(Document* document, SaveOperation operation)
{
    const FileStamp known = document->fileStamp();
    const FileStamp now = FileStamp::of(document->filePath());
    // Nothing known to compare with, the file as it was, or a file that has
    // disappeared (written afresh): go ahead.
    if (!known.exists || !now.exists || now == known)
        return {};
    const QString message = tr("The file “%1” has been changed by another program.").arg(quoted(document->filePath()));
    if (operation == SaveOperation::Autosave || !m_prompter) {
        // Autosave never overwrites someone else's work; the document stays
        // edited until the user decides.
        qWarning().noquote() << message << "Not saved automatically.";
        if (operation == SaveOperation::Autosave)
            tellAutosaveRefused(document, now, message);
        return documentError(10, message);
    }
    AlertRequest question;
    question.messageText = message;
    question.informativeText = tr("Save Anyway replaces it with this document. Revert shows what the file holds now "
                                  "and drops the changes made here.");
    question.buttons = {tr("Save Anyway"), tr("Revert"), tr("Cancel")};
    question.style = AlertRequest::Style::Warning;
    switch (m_prompter->runAlert(question)) {
    case 0:
        return {};
    case 1:
        if (Status reverted = reloadFromFile(document); !reverted)
            return reverted;
        return documentError(11, tr("The document was reverted to the file instead of being saved."));
    default:
        return documentError(7, tr("Saving was cancelled."));
    }
}

void DocumentController::tellAutosaveRefused(Document* document, const FileStamp& file, const QString& message)
{
    OpenDocument* open = find(document);
    if (!open || !m_prompter || open->refusedFile == file)
        return;
    open->refusedFile = file;
    AlertRequest alert;
    alert.messageText = message;
    alert.informativeText = tr("Your changes to “%1” are not saved automatically while the file differs. Choose "
                               "Save to replace the file or to go back to it.")
                                .arg(document->displayName());
    alert.style = AlertRequest::Style::Warning;
    // A sheet: the user is told without being stopped in the middle of an edit.
    m_prompter->beginSheetAlert(alert, {});
}

bool DocumentController::closeDocument(Document* document)
{
    OpenDocument* open = find(document);
    if (!open)
        return true;
    if (document->isDocumentEdited() && m_prompter) {
        AlertRequest question;
        question.messageText =
            tr("Do you want to save the changes made to the document “%1”?").arg(document->displayName());
        question.informativeText = tr("Your changes will be lost if you don’t save them.");
        question.buttons = {tr("Save"), tr("Cancel"), tr("Don’t Save")};
        const int answer = m_prompter->runAlert(question);
        if (answer == 1)
            return false;
        if (answer == 0 && !saveDocument(document))
            return false;
    }
    open = find(document);
    if (!open)
        return true;
    open->autosaveTimer->stop();
    m_documents.erase(m_documents.begin() + (open - m_documents.data()));
    if (m_currentDocument == document)
        setCurrentDocument(m_documents.empty() ? nullptr : m_documents.back().document);
    // The windows see that the document is no longer open and close at once.
    for (QWidget* window : document->windows())
        window->close();
    document->deleteLater();
    emit documentsChanged();
    return true;
}

bool DocumentController::closeAllDocuments()
{
    for (Document* document : documents())
        if (!closeDocument(document))
            return false;
    return true;
}

QStringList DocumentController::recentDocumentPaths() const
{
    QStringList paths;
    for (const QVariant& value : defaults().arrayForKey(kRecentDocumentsKey)) {
        const QString path = value.toString();
        if (!path.isEmpty() && QFileInfo(path).isFile())
            paths.append(path);
    }
    return paths;
}

void DocumentController::noteRecentDocument(const QString& path)
{
    QVariantList paths {path};
    for (const QVariant& value : defaults().arrayForKey(kRecentDocumentsKey))
        if (value.toString() != path && paths.size() < kMaximumRecentDocuments)
            paths.append(value);
    defaults().setObject(kRecentDocumentsKey, paths);
    emit recentDocumentsChanged();
}

void DocumentController::clearRecentDocuments()
{
    defaults().removeObjectForKey(kRecentDocumentsKey);
    emit recentDocumentsChanged();
}

void DocumentController::setCurrentDocument(Document* document)
{
    if (m_currentDocument == document)
        return;
    m_currentDocument = document;
    emit currentDocumentChanged(document);
}

void DocumentController::focusWindowChanged(QWindow* window)
{
    // Panels and dialogs taking focus leave the current document as it was.
    if (!window)
        return;
    for (const OpenDocument& open : m_documents)
        for (QWidget* documentWindow : open.document->windows())
            if (documentWindow->windowHandle() == window) {
                setCurrentDocument(open.document);
                return;
            }
}

DocumentController::OpenDocument* DocumentController::find(const Document* document)
{
    return const_cast<OpenDocument*>(std::as_const(*this).find(document));
}

const DocumentController::OpenDocument* DocumentController::find(const Document* document) const
{
    for (const OpenDocument& open : m_documents)
        if (open.document == document)
            return &open;
    return nullptr;
}

void DocumentController::reportError(const QString& messageText, const Error& error)
{
    qWarning().noquote() << messageText << error.message;
    if (!m_prompter)
        return;
    AlertRequest alert;
    alert.messageText = messageText;
    alert.informativeText = error.message;
    alert.style = AlertRequest::Style::Warning;
    m_prompter->runAlert(alert);
}

UserDefaults& DocumentController::defaults() const
{
    return m_defaults ? *m_defaults : UserDefaults::standard();
}

} // namespace ql
