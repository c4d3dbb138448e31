// Writes a whole file so that an interrupted write (a crash, a kill, a full
// disk) leaves the previous file untouched: the data goes to a temporary file
// in the same folder, is synced to disk and then renamed over the old one.
// A link is written through only onto a regular file: renaming over a
// device, pipe or socket would put a file in its place.
#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>

namespace ql {

inline const QString kFileWriteErrorDomain = QStringLiteral("FileWrite");

// On failure the message names the cause in the user's words ("The disk is
// full.", "The file is larger than this system allows.", ...).
Status writeFileAtomically(const QString& path, const QByteArray& data);

// An error naming the target when what stands at `path`, through any links,
// is a device, pipe or socket; nothing else is refused here. For asking no
// question about replacing what will not be replaced.
Status refuseSpecialTarget(const QString& path);

// A new file of exactly `data`, synced to disk, never one that is there
// already (nor through a link); the error's code is the system's error
// number (EEXIST when the name is taken).
Status writeNewFile(const QString& path, const QByteArray& data);

// All of `data` through the descriptor; 0, or the system error that
// stopped it.
int writeAll(int fd, const QByteArray& data);

// The user's words for a system error number met while writing a file.
QString fileSystemErrorText(int errorNumber);

// Writes past the file-size limit then fail with an error the program can
// report, instead of the signal ending the program with every unsaved edit.
// Called once at start by everything that saves.
void ignoreFileSizeLimitSignal();

} // namespace ql
