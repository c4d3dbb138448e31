// What a file looked like when the program last read or wrote it: enough to
// notice that another program has changed or replaced it since.
#pragma once

#include <QString>
#include <QtGlobal>

namespace ql {

struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNanoseconds = 0;
    quint64 device = 0;
    quint64 inode = 0;

    // The stamp of the file at `path` now; `exists` is false when there is none.
    static FileStamp of(const QString& path);

    bool operator==(const FileStamp&) const = default;
};

} // namespace ql
