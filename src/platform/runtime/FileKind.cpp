#include "platform/runtime/FileKind.h"

#include <QFile>
#include <QObject>

#include <cerrno>
#include <sys/stat.h>

namespace ql {

FileKind fileKindAt(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        return fileKindOfMode(info.st_mode);
    return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unknown;
}

FileKind fileKindOfMode(unsigned mode)
{
    switch (mode & S_IFMT) {
    case S_IFREG: return FileKind::Regular;
    case S_IFDIR: return FileKind::Folder;
    case S_IFIFO: return FileKind::Pipe;
    case S_IFSOCK: return FileKind::Socket;
    case S_IFCHR:
    case S_IFBLK: return FileKind::Device;
    default: return FileKind::Unknown;
    }
}

QString describeFileKind(FileKind kind)
{
    switch (kind) {
    case FileKind::Missing: return QObject::tr("nothing");
    case FileKind::Regular: return QObject::tr("a file");
    case FileKind::Folder: return QObject::tr("a folder");
    case FileKind::Pipe: return QObject::tr("a pipe");
    case FileKind::Socket: return QObject::tr("a socket");
    case FileKind::Device: return QObject::tr("a device");
    case FileKind::Unknown: break;
    }
    return QObject::tr("something other than a file");
}

} // namespace ql
