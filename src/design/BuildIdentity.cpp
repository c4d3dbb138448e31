#include "design/BuildIdentity.h"

#include <QRegularExpression>

// The build passes each setting in as a string literal (src/CMakeLists.txt).
namespace ql::identity {

QString storeAppId() { return QStringLiteral(QUIVERLEAF_STORE_APP_ID); }
QString supportLink() { return QStringLiteral(QUIVERLEAF_SUPPORT_URL); }
QString ratingsLinksText() { return QStringLiteral(QUIVERLEAF_RATINGS_LINKS); }
QString crashApiKey() { return QStringLiteral(QUIVERLEAF_CRASH_API_KEY); }
QString crashServiceUrl() { return QStringLiteral(QUIVERLEAF_CRASH_SERVICE_URL); }
QString noticesHost() { return QStringLiteral(QUIVERLEAF_NOTICES_HOST); }
QString storeLookupHost() { return QStringLiteral(QUIVERLEAF_STORE_LOOKUP_HOST); }
QString websiteUrl() { return QStringLiteral(QUIVERLEAF_WEBSITE_URL); }
QString mobileEditionUrl() { return QStringLiteral(QUIVERLEAF_MOBILE_EDITION_URL); }
QString movieUrl() { return QStringLiteral(QUIVERLEAF_MOVIE_URL); }

QString contactLink()
{
    const QString support = supportLink();
    return support.isEmpty() ? QString() : support + QStringLiteral("?contact=1");
}

QList<QPair<int, QString>> parseRatingsLinks(const QString& text)
{
    QList<QPair<int, QString>> links;
    for (const QString& entry : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        const qsizetype equals = entry.indexOf(u'=');
        bool isNumber = false;
        const int source = entry.left(equals).toInt(&isNumber);
        const QString link = entry.mid(equals + 1);
        if (equals > 0 && isNumber && !link.isEmpty())
            links.append({source, link});
    }
    return links;
}

QList<QPair<int, QString>> ratingsLinks() { return parseRatingsLinks(ratingsLinksText()); }

} // namespace ql::identity
