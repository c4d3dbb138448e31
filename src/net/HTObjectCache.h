// Downloaded storage objects kept on disk under their keys. A key becomes a
// path only when it is safe: relative, every segment non-empty, not "." or
// "..", free of backslashes and control characters, at most 255 bytes a
// segment and 1,024 a key, and no folder on the way a symbolic link; so no
// key can write outside the cache.
#pragma once

#include "net/S3Object.h"
#include "platform/Error.h"

#include <QString>

namespace ql {

class HTObjectCache {
public:
    static constexpr qsizetype kMaximumKeyBytes = 1024;
    static constexpr qsizetype kMaximumSegmentBytes = 255;

    // The cache lives in this folder (made when first needed).
    explicit HTObjectCache(QString root);

    // "templates" in the per-user cache folder.
    static QString defaultRoot();

    const QString& root() const { return m_root; }

    // The key as a path below the root, or why it cannot be one.
    Result<QString> pathForKey(const QString& key) const;
    // Whether the key names a safe place for a file (a folder key's one
    // trailing "/" left aside).
    bool acceptsKey(const QString& key) const;

    // Whether a cached copy of the object exists that its entity tag (an MD5
    // of 32 hexadecimal digits) confirms; other tags confirm nothing.
    bool hasCurrentCopy(const S3Object& object) const;
    static bool isDigestTag(const QString& etag);

    // Makes the folders on the way to the object's file and a temporary file
    // beside it; returns the temporary file's path.
    Result<QString> prepareDownload(const S3Object& object) const;
    // Puts a finished download in place of the object's file.
    Status commitDownload(const S3Object& object, const QString& temporaryPath) const;

private:
    // Checks that no part of `relative` below the root is a symbolic link.
    bool hasLinkOnTheWay(const QString& relative) const;

    QString m_root;
};

} // namespace ql
