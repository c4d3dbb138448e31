#include "net/HTS3Configuration.h"

#ifndef QUIVERLEAF_TEMPLATE_BUCKET_URL
#define QUIVERLEAF_TEMPLATE_BUCKET_URL ""
#endif
#ifndef QUIVERLEAF_TEMPLATE_BUCKET_KEY
#define QUIVERLEAF_TEMPLATE_BUCKET_KEY ""
#endif
#ifndef QUIVERLEAF_TEMPLATE_BUCKET_SECRET
#define QUIVERLEAF_TEMPLATE_BUCKET_SECRET ""
#endif

namespace ql {

HTS3Configuration HTS3Configuration::build()
{
    HTS3Configuration configuration;
    const QString url = QStringLiteral(QUIVERLEAF_TEMPLATE_BUCKET_URL);
    if (!url.isEmpty())
        configuration.bucketURL = QUrl(url);
    configuration.accessKey = QStringLiteral(QUIVERLEAF_TEMPLATE_BUCKET_KEY);
    configuration.secret = QStringLiteral(QUIVERLEAF_TEMPLATE_BUCKET_SECRET);
    return configuration;
}

} // namespace ql
