#include "platform/runtime/AtomicFileWriter.h"

#include "platform/runtime/FileKind.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <csignal>
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

Error writeError(const QString& path, const QString& cause)
{
    return Error {kFileWriteErrorDomain, 1,
                  QObject::tr("The file “%1” could not be written. %2").arg(QFileInfo(path).fileName(), cause)};
}

// The cause behind a failed call: the system's error when it left one, else
// what the toolkit says.
QString causeOf(int errorNumber, const QString& fallback)
{
    return errorNumber != 0 ? fileSystemErrorText(errorNumber) : fallback;
}
} // namespace

int writeAll(int fd, const QByteArray& data)
{
    const char* next = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        next += written;
        left -= written;
    }
    return 0;
}

Status writeNewFile(const QString& path, const QByteArray& data)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Error {kFileWriteErrorDomain, errno, fileSystemErrorText(errno)};
    int failure = writeAll(fd, data);
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    ::close(fd);
    if (failure != 0) {
        ::unlink(name.constData());
        return Error {kFileWriteErrorDomain, failure, fileSystemErrorText(failure)};
    }
    return {};
}

QString fileSystemErrorText(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC: return QObject::tr("The disk is full.");
    case EDQUOT: return QObject::tr("Your share of the disk is used up.");
    case EFBIG: return QObject::tr("The file is larger than this system allows.");
    case EACCES:
    case EPERM: return QObject::tr("You don’t have permission to write there.");
    case EROFS: return QObject::tr("The disk can only be read, not written.");
    case EIO: return QObject::tr("The disk could not be written to.");
    case ENAMETOOLONG: return QObject::tr("The file name is too long.");
    case ENOENT: return QObject::tr("Its folder does not exist.");
    case ENOTDIR: return QObject::tr("A file stands where a folder should be.");
    case EISDIR: return QObject::tr("A folder of that name exists.");
    case EMFILE:
    case ENFILE: return QObject::tr("Too many files are open.");
    case ENOMEM: return QObject::tr("There is not enough memory.");
    default: return qt_error_string(errorNumber) + QLatin1Char('.');
    }
}

Status refuseSpecialTarget(const QString& path)
{
    const FileKind kind = fileKindAt(path);
    if (kind != FileKind::Pipe && kind != FileKind::Socket && kind != FileKind::Device)
        return {};
    const QFileInfo info(path);
    if (info.isSymLink())
        return writeError(path, QObject::tr("It is a link to %1 (%2), not to a regular file, and was left as it was.")
                                    .arg(describeFileKind(kind), info.canonicalFilePath()));
    return writeError(path, QObject::tr("It is %1, not a regular file, and was left as it was.").arg(describeFileKind(kind)));
}

void ignoreFileSizeLimitSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

Status writeFileAtomically(const QString& path, const QByteArray& data)
{
    const QFileInfo info(path);
    if (info.isDir())
        return writeError(path, fileSystemErrorText(EISDIR));
    if (!info.dir().exists())
        return writeError(path, fileSystemErrorText(ENOENT));
    if (Status special = refuseSpecialTarget(path); !special)
        return special;

    // QSaveFile writes beside the target, keeps the old file's permissions,
    // syncs and renames over the target only on commit.
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return writeError(path, causeOf(errno, file.errorString()));
    // Written through the descriptor: the toolkit takes a short write (a full
    // disk, the file-size limit) for success and names no cause.
    if (const int failed = writeAll(int(file.handle()), data); failed != 0) {
        file.cancelWriting();
        return writeError(path, fileSystemErrorText(failed));
    }
    // The rename would replace a device or pipe put there meanwhile.
    if (Status special = refuseSpecialTarget(path); !special) {
        file.cancelWriting();
        return special;
    }
    errno = 0;
    if (!file.commit())
        return writeError(path, causeOf(errno, file.errorString()));
    syncFolder(info.absolutePath());
    return {};
}

} // namespace ql
