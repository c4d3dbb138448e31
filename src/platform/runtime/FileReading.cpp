#include "platform/runtime/FileReading.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QObject>
#include <algorithm>

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

} // namespace

Result<QByteArray> readFileWithin(const QString& path, qint64 limit)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.isFile())
        return fileError(FileReadingError::NotAFile, QObject::tr("“%1” is not a file.").arg(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fileError(FileReadingError::Unreadable,
                         QObject::tr("The file “%1” could not be read: %2").arg(name, file.errorString()));
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
            return fileError(FileReadingError::Unreadable,
                             QObject::tr("The file “%1” could not be read: %2").arg(name, file.errorString()));
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
