#include "app/export/ShowInFolderService.h"

#include "app/export/SharedPictures.h"
#include "platform/ui/Workspace.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>

namespace ql {

QString ShowInFolderService::title() const
{
    return QObject::tr("Show in Folder");
}

QIcon ShowInFolderService::image() const
{
    return QApplication::style() ? QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon) : QIcon();
}

bool ShowInFolderService::canPerformWithItems(const SharingItems& items) const
{
    return !items.images.isEmpty();
}

void ShowInFolderService::performWithItems(const SharingItems& items, Completion completion)
{
    const Status shown = showInFolder(items);
    if (completion)
        completion(shown);
}

Status ShowInFolderService::showInFolder(const SharingItems& items)
{
    const Result<QStringList> files = writeSharedPictures(items);
    if (!files)
        return files.error();
    if (files->isEmpty())
        return {};
    const QString folder = QFileInfo(files->constFirst()).path();
    m_lastFolder = folder;
    if (!m_workspace.openFile(folder))
        return sharingError(QObject::tr("The folder %1 could not be opened.").arg(folder));
    return {};
}

} // namespace ql
