// What stands at a path, told from its status without opening it: opening a
// pipe can wait for ever, and opening a device can do things of its own.
#pragma once

#include <QString>

namespace ql {

enum class FileKind { Missing, Regular, Folder, Pipe, Socket, Device, Unknown };

// Links are followed: a link to a pipe is a pipe, one that leads nowhere is
// missing. Unknown when the status cannot be had (a folder on the way that
// may not be searched, a loop of links).
FileKind fileKindAt(const QString& path);
FileKind fileKindOfMode(unsigned mode);

// The kind as a message names it: "a pipe", "a device", ...
QString describeFileKind(FileKind kind);

} // namespace ql
