#include "app/design/BuildIdentity.h"

// The build passes each setting in as a string literal (src/CMakeLists.txt).
namespace ql::identity {

QString crashApiKey() { return QStringLiteral(QUIVERLEAF_CRASH_API_KEY); }
QString crashServiceUrl() { return QStringLiteral(QUIVERLEAF_CRASH_SERVICE_URL); }
QString noticesHost() { return QStringLiteral(QUIVERLEAF_NOTICES_HOST); }
QString storeLookupHost() { return QStringLiteral(QUIVERLEAF_STORE_LOOKUP_HOST); }
QString websiteUrl() { return QStringLiteral(QUIVERLEAF_WEBSITE_URL); }
QString mobileEditionUrl() { return QStringLiteral(QUIVERLEAF_MOBILE_EDITION_URL); }
QString movieUrl() { return QStringLiteral(QUIVERLEAF_MOVIE_URL); }

} // namespace ql::identity
