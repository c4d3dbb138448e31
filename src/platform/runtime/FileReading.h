// Whole files read into memory within a bound. The file is read in pieces
// and cut off at the bound, so that neither a size that lies (a file that
// grows meanwhile, a sparse file of many gigabytes) nor a device that never
// ends can exhaust memory; only regular files are read, and they are opened
// without waiting, so that a pipe put in a file's place cannot block the
// reader.
#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>

namespace ql {

inline const QString kFileReadingErrorDomain = QStringLiteral("FileReading");
enum class FileReadingError { Missing = 1, Unreadable, TooLarge, NotRegular };

// The bytes of the file at `path`, or an error saying why not, naming the
// file.
Result<QByteArray> readFileWithin(const QString& path, qint64 limit);

// Whether an error is the one for a file larger than the bound.
bool isFileTooLarge(const Error& error);

// A size as people read it ("64 GB", "512 MB").
QString readableSize(qint64 bytes);

} // namespace ql
