#include "app/WidgetPrompter.h"

#include "app/document/FilePanelFolder.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextEdit>
#include <optional>

namespace {

QString nameFilter(const QStringList& extensions)
{
    if (extensions.isEmpty())
        return QString();
    QStringList patterns;
    for (const QString& extension : extensions)
        patterns.append(QStringLiteral("*.") + extension);
    return QStringLiteral("(%1)").arg(patterns.join(QLatin1Char(' ')));
}

// Fills a box from the request; the buttons come back in request order.
QList<QAbstractButton*> fillMessageBox(QMessageBox& box, const ql::AlertRequest& request)
{
    switch (request.style) {
    case ql::AlertRequest::Style::Warning: box.setIcon(QMessageBox::Warning); break;
    case ql::AlertRequest::Style::Informational: box.setIcon(QMessageBox::Information); break;
    case ql::AlertRequest::Style::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    box.setText(request.messageText);
    box.setInformativeText(request.informativeText);
    const QStringList titles = request.buttons.isEmpty() ? QStringList{QObject::tr("OK")} : request.buttons;
    QList<QAbstractButton*> buttons;
    for (const QString& title : titles)
        buttons.append(box.addButton(title, buttons.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
    if (request.accessory) {
        auto* notes = new QTextEdit(&box);
        notes->setObjectName(QStringLiteral("alertAccessory"));
        notes->setReadOnly(true);
        notes->setPlainText(request.accessory->text);
        notes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        notes->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        notes->setFixedSize(request.accessory->size.toSize());
        // Under the texts, above the buttons, as wide as the texts' column.
        if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
            QWidget* buttonBox = box.findChild<QWidget*>(QStringLiteral("qt_msgbox_buttonbox"));
            const int buttonRow = buttonBox ? grid->indexOf(buttonBox) : -1;
            int row = grid->rowCount();
            if (buttonRow >= 0) {
                int r = 0, c = 0, rs = 0, cs = 0;
                grid->getItemPosition(buttonRow, &r, &c, &rs, &cs);
                grid->removeWidget(buttonBox);
                grid->addWidget(buttonBox, grid->rowCount(), c, rs, cs);
                row = r;
            }
            grid->addWidget(notes, row, 1, 1, grid->columnCount() - 1);
        }
    }
    return buttons;
}

// A box closed without a button (Escape) answers as its last button.
int chosenIndex(const QMessageBox& box, const QList<QAbstractButton*>& buttons)
{
    const qsizetype index = buttons.indexOf(box.clickedButton());
    return index < 0 ? static_cast<int>(buttons.size() - 1) : static_cast<int>(index);
}

// Whether the desktop (xdg-mime) names a default application for the MIME
// type; nothing when it cannot be asked.
std::optional<bool> desktopHasApplicationFor(const QString& mimeType)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return std::nullopt;
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return std::nullopt;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

int WidgetPrompter::runAlert(const ql::AlertRequest& request)
{
    QMessageBox box(m_parent);
    const QList<QAbstractButton*> buttons = fillMessageBox(box, request);
    box.exec();
    return chosenIndex(box, buttons);
}

void WidgetPrompter::beginSheetAlert(const ql::AlertRequest& request, AlertCompletion completion)
{
    auto* box = new QMessageBox(mainWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(box->parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    const QList<QAbstractButton*> buttons = fillMessageBox(*box, request);
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, completion = std::move(completion)] {
        if (completion)
            completion(chosenIndex(*box, buttons));
    });
    box->open();
}

QWidget* WidgetPrompter::mainWindow() const
{
    if (m_parent && m_parent->isVisible())
        return m_parent->window();
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowType() == Qt::Window)
            return widget;
    return nullptr;
}

QString WidgetPrompter::startFolder(const ql::FilePanelRequest& request) const
{
    if (!request.directory.isEmpty())
        return request.directory;
    if (!m_lastFolder->isEmpty() && QFileInfo(*m_lastFolder).isDir())
        return *m_lastFolder;
    return ql::userFolder(QStandardPaths::DocumentsLocation);
}

QStringList WidgetPrompter::runOpenPanel(const ql::FilePanelRequest& request)
{
    const QString filter = nameFilter(request.allowedExtensions);
    QStringList paths;
    if (request.allowsMultipleSelection) {
        paths = QFileDialog::getOpenFileNames(m_parent, request.title, startFolder(request), filter);
    } else if (const QString path = QFileDialog::getOpenFileName(m_parent, request.title, startFolder(request), filter);
               !path.isEmpty()) {
        paths = QStringList{path};
    }
    if (!paths.isEmpty())
        *m_lastFolder = QFileInfo(paths.constFirst()).absolutePath();
    return paths;
}

void WidgetPrompter::beginOpenPanel(const ql::FilePanelRequest& request, OpenPanelCompletion completion)
{
    auto* dialog = new QFileDialog(mainWindow(), request.title, startFolder(request), nameFilter(request.allowedExtensions));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::NonModal);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(request.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    QObject::connect(dialog, &QFileDialog::finished, dialog,
                     [last = m_lastFolder, dialog, completion = std::move(completion)](int result) {
                         const QStringList paths = result == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
                         if (!paths.isEmpty())
                             *last = QFileInfo(paths.constFirst()).absolutePath();
                         if (completion)
                             completion(paths);
                     });
    dialog->show();
}

std::optional<QString> WidgetPrompter::runSavePanel(const ql::FilePanelRequest& request)
{
    const QString start = startFolder(request) + QLatin1Char('/') + request.suggestedName;
    const QString path =
        QFileDialog::getSaveFileName(m_parent, request.title, start, nameFilter(request.allowedExtensions));
    if (path.isEmpty())
        return std::nullopt;
    *m_lastFolder = QFileInfo(path).absolutePath();
    return path;
}

std::optional<QString> WidgetPrompter::runFolderPanel(const ql::FilePanelRequest& request)
{
    QFileDialog dialog(m_parent, request.title, startFolder(request));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!request.prompt.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, request.prompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    *m_lastFolder = dialog.selectedFiles().constFirst();
    return dialog.selectedFiles().constFirst();
}

bool WidgetPrompter::runPrintDialog(QPrinter& printer, int pageCount)
{
    QPrintDialog dialog(&printer, mainWindow());
    // A range of the pages there are, which the printing then keeps to.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, std::max(1, pageCount));
    return dialog.exec() == QDialog::Accepted;
}

bool DesktopWorkspace::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopWorkspace::canOpenUrl(const QUrl& url) const
{
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return desktopHasApplicationFor(QStringLiteral("x-scheme-handler/") + url.scheme()).value_or(false);
}

bool DesktopWorkspace::canOpenFile(const QString& path) const
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.isValid() || type.isDefault())
        return true;
    return desktopHasApplicationFor(type.name()).value_or(true);
}

bool DesktopWorkspace::openFile(const QString& path)
{
    return canOpenFile(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
