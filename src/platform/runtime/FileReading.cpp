#include "platform/runtime/FileReading.h"

#include "platform/runtime/FileKind.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QObject>
#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

namespace {

constexpr qint64 kPiece = qint64(1) << 20;

Error fileError(FileReadingError code, const QString& message)
{
    return Error {kFileReadingErrorDomain, int(code), message};
}

Error tooLarge(const QString& name, qint64 size, qint64 limit)
{
    return fileError(FileReadingError::TooLarge,
                     QObject::tr("The file “%1” is too large (%2; no more than %3 is read).")
                         .arg(name, readableSize(size), readableSize(limit)));
}

Error unreadable(const QString& name, const QString& cause)
{
    return fileError(FileReadingError::Unreadable, QObject::tr("The file “%1” could not be read: %2").arg(name, cause));
}

Error notRegular(const QString& name, FileKind kind)
{
    return fileError(FileReadingError::NotRegular,
                     QObject::tr("“%1” is not a regular file: it is %2.").arg(name, describeFileKind(kind)));
}

} // namespace

Result<QByteArray> readFileWithin(const QString& path, qint64 limit)
{
    const QString name = QFileInfo(path).fileName();
    // Told apart before anything is opened: opening a device can do things
    // of its own.
    const FileKind kind = fileKindAt(path);
    if (kind == FileKind::Missing)
        return fileError(FileReadingError::Missing, QObject::tr("“%1” does not exist.").arg(name));
    if (kind != FileKind::Regular && kind != FileKind::Unknown)
        return notRegular(name, kind);
    // Without waiting, and the kind checked again on what was opened: a pipe
    // may have been put there since.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return unreadable(name, qt_error_string(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || fileKindOfMode(info.st_mode) != FileKind::Regular) {
        ::close(fd);
        return notRegular(name, fileKindOfMode(info.st_mode));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(name, file.errorString());
    }
    const qint64 size = file.size();
    if (size > limit)
        return tooLarge(name, size, limit);
    QByteArray data;
    data.reserve(qsizetype(size));
    while (true) {
        const qint64 room = limit + 1 - data.size();
        const qsizetype before = data.size();
        data.resize(before + qsizetype(std::min(kPiece, room)));
        const qint64 read = file.read(data.data() + before, data.size() - before);
        if (read < 0)
            return unreadable(name, file.errorString());
        data.resize(before + qsizetype(read));
        if (read == 0)
            break;
        if (data.size() > limit)
            return tooLarge(name, std::max(file.size(), qint64(data.size())), limit);
    }
    return data;
}

bool isFileTooLarge(const Error& error)
{
    return error.domain == kFileReadingErrorDomain && error.code == int(FileReadingError::TooLarge);
}

QString readableSize(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, bytes < (qint64(1) << 30) ? 0 : 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace ql
