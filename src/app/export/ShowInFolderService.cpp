#include "app/export/ShowInFolderService.h"

#include "app/design/ZVDesignHelper.h"
#include "app/document/AtomicFileWriter.h"
#include "app/output/BitmapWriters.h"
#include "app/output/ExportNaming.h"
#include "platform/ui/Workspace.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QStyle>
#include <QTemporaryDir>

namespace ql {

namespace {

Error shareError(const QString& message)
{
    return Error {QStringLiteral("Quiverleaf.share"), 1, message};
}

} // namespace

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

Status ShowInFolderService::performWithItems(const SharingItems& items)
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString shared = QDir(cache).filePath(QStringLiteral("Shared"));
    if (!QDir().mkpath(shared))
        return shareError(QObject::tr("The folder %1 could not be made.").arg(shared));
    const QString name = ZVDesignHelper::sanitizeFileNameString(exportBaseName(items.name));
    QTemporaryDir folder(QDir(shared).filePath((name.isEmpty() ? QStringLiteral("Shared") : name)
                                               + QStringLiteral("-XXXXXX")));
    if (!folder.isValid())
        return shareError(QObject::tr("A folder for the pictures could not be made: %1").arg(folder.errorString()));
    // The folder is for the user to take the pictures from: it stays.
    folder.setAutoRemove(false);
    const int count = int(items.images.size());
    for (int i = 0; i < count; ++i) {
        SheetBitmap bitmap;
        bitmap.pixels = items.images[i].convertToFormat(QImage::Format_RGB32);
        bitmap.dpi = 72;
        const Result<QByteArray> png = encodePNG(bitmap);
        if (!png)
            return png.error();
        const QString path = QDir(folder.path()).filePath(exportFileName(name, QStringLiteral("png"), i + 1, count));
        if (const Status written = writeFileAtomically(path, *png); !written)
            return written;
    }
    m_lastFolder = folder.path();
    if (!m_workspace.openFile(folder.path()))
        return shareError(QObject::tr("The folder %1 could not be opened.").arg(folder.path()));
    return {};
}

} // namespace ql
