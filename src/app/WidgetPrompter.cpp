#include "app/WidgetPrompter.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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

} // namespace

int WidgetPrompter::runAlert(const ql::AlertRequest& request)
{
    QMessageBox box(m_parent);
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
    box.exec();
    const qsizetype index = buttons.indexOf(box.clickedButton());
    return index < 0 ? static_cast<int>(buttons.size() - 1) : static_cast<int>(index);
}

QStringList WidgetPrompter::runOpenPanel(const ql::FilePanelRequest& request)
{
    if (request.allowsMultipleSelection)
        return QFileDialog::getOpenFileNames(m_parent, request.title, request.directory,
                                             nameFilter(request.allowedExtensions));
    const QString path =
        QFileDialog::getOpenFileName(m_parent, request.title, request.directory, nameFilter(request.allowedExtensions));
    return path.isEmpty() ? QStringList() : QStringList{path};
}

std::optional<QString> WidgetPrompter::runSavePanel(const ql::FilePanelRequest& request)
{
    const QString start = request.directory.isEmpty() ? request.suggestedName
                                                      : request.directory + QLatin1Char('/') + request.suggestedName;
    const QString path =
        QFileDialog::getSaveFileName(m_parent, request.title, start, nameFilter(request.allowedExtensions));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> WidgetPrompter::runFolderPanel(const ql::FilePanelRequest& request)
{
    const QString path = QFileDialog::getExistingDirectory(m_parent, request.title, request.directory);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

bool DesktopWorkspace::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopWorkspace::openFile(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
