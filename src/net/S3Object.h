// One object of a storage bucket's listing: its key, entity tag and size.
#pragma once

#include <QString>

namespace ql {

struct S3Object {
    // Null when the listing gave no text for it.
    QString key;
    QString etag;
    qint64 size = 0;

    bool operator==(const S3Object&) const = default;
};

} // namespace ql
