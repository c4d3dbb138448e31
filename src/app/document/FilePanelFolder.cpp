#include "app/document/FilePanelFolder.h"

#include "app/document/Document.h"

#include <QDir>
#include <QFileInfo>

namespace ql {

namespace {

bool isFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

QString filePanelFolder(const Document& document, QStandardPaths::StandardLocation unsaved, const QString& remembered)
{
    if (isFolder(remembered))
        return remembered;
    if (!document.filePath().isEmpty()) {
        const QString beside = QFileInfo(document.filePath()).absolutePath();
        if (isFolder(beside))
            return beside;
    }
    return userFolder(unsaved);
}

QString userFolder(QStandardPaths::StandardLocation kind)
{
    const QString standard = QStandardPaths::writableLocation(kind);
    return isFolder(standard) ? standard : QDir::homePath();
}

} // namespace ql
