#include "app/document/AtomicFileWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

namespace ql {

namespace {

// The rename is only durable once the folder's entry is on disk too.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

Error writeError(const QString& path, const QString& reason)
{
    return Error {kFileWriteErrorDomain, 1,
                  QObject::tr("The file “%1” could not be written: %2").arg(QFileInfo(path).fileName(), reason)};
}

} // namespace

Status writeFileAtomically(const QString& path, const QByteArray& data)
{
    const QFileInfo info(path);
    if (info.isDir())
        return writeError(path, QObject::tr("a folder of that name exists."));
    if (!info.dir().exists())
        return writeError(path, QObject::tr("its folder does not exist."));

    // QSaveFile writes beside the target, keeps the old file's permissions,
    // syncs and renames over the target only on commit.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return writeError(path, file.errorString());
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return writeError(path, reason);
    }
    if (!file.commit())
        return writeError(path, file.errorString());
    syncFolder(info.absolutePath());
    return {};
}

} // namespace ql
