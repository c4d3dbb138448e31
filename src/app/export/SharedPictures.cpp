#include "app/export/SharedPictures.h"

#include "design/ZVDesignHelper.h"
#include "app/output/BitmapWriters.h"
#include "app/output/ExportNaming.h"
#include "platform/runtime/AtomicFileWriter.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace ql {

Error sharingError(const QString& message)
{
    return Error {QStringLiteral("Quiverleaf.share"), 1, message};
}

Result<QStringList> writeSharedPictures(const SharingItems& items)
{
    if (items.images.isEmpty())
        return QStringList();
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString shared = QDir(cache).filePath(QStringLiteral("Shared"));
    if (!QDir().mkpath(shared))
        return sharingError(QObject::tr("The folder %1 could not be made.").arg(shared));
    const QString name = ZVDesignHelper::sanitizeFileNameString(exportBaseName(items.name));
    QTemporaryDir folder(QDir(shared).filePath((name.isEmpty() ? QStringLiteral("Shared") : name)
                                               + QStringLiteral("-XXXXXX")));
    if (!folder.isValid())
        return sharingError(QObject::tr("A folder for the pictures could not be made: %1").arg(folder.errorString()));
    folder.setAutoRemove(false);
    QStringList files;
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
            return written.error();
        files << path;
    }
    return files;
}

} // namespace ql
