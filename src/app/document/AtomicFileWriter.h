// Writes a whole file so that an interrupted write (a crash, a kill, a full
// disk) leaves the previous file untouched: the data goes to a temporary file
// in the same folder, is synced to disk and then renamed over the old one.
#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>

namespace ql {

inline const QString kFileWriteErrorDomain = QStringLiteral("FileWrite");

Status writeFileAtomically(const QString& path, const QByteArray& data);

} // namespace ql
