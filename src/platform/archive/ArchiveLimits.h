// Bounds that every archive read is held to, so that damaged or hostile files
// fail with an error instead of exhausting memory or the stack.
#pragma once

#include <QtGlobal>

namespace ql {

// The largest file read as an archive; what the program writes stays
// within it, so that it opens again.
inline constexpr qsizetype kLargestArchiveBytes = qsizetype(1) << 30;

struct ArchiveLimits {
    qsizetype maxBytes = kLargestArchiveBytes;    // size of the file
    qsizetype maxObjects = qsizetype(4) << 20;    // objects in the property list
    qsizetype maxCollectionCount = qsizetype(4) << 20; // entries of one array or dictionary
    int maxDepth = 200;                           // nesting of containers and archived objects
};

} // namespace ql
