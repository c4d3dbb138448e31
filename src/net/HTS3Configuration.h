// Where the template bucket is and how to sign for it. These are build
// settings (QUIVERLEAF_TEMPLATE_BUCKET_URL, _KEY, _SECRET); a build without
// them lists no bucket.
#pragma once

#include <QString>
#include <QUrl>

namespace ql {

struct HTS3Configuration {
    // The bucket's address, path style ("https://host/bucket").
    QUrl bucketURL;
    QString accessKey;
    QString secret;

    bool isConfigured() const { return bucketURL.isValid() && !bucketURL.host().isEmpty(); }
    // The values this build was made with.
    static HTS3Configuration build();
};

} // namespace ql
