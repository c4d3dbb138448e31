// Version texts compared as people read them: runs of digits by their value
// ("1.10" is newer than "1.9"), everything else character by character.
#pragma once

#include <QString>
#include <optional>

namespace ql {

// Negative when `a` is older than `b`, zero when alike, positive when newer.
int compareVersion(const QString& a, const QString& b);
// Newest first, for sorting.
inline int compareVersionDescending(const QString& a, const QString& b) { return -compareVersion(a, b); }

// A missing version is older than any version.
inline bool isNewerVersion(const QString& candidate, const std::optional<QString>& than)
{
    return !than || compareVersion(candidate, *than) > 0;
}

} // namespace ql
