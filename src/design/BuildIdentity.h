// Who this build is: its bundle identifier and the values that differ
// between the direct-sale build, the store build and the sibling product
// built from the same code. Everything here is configuration.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace ql::identity {

inline QString directSaleBundleIdentifier() { return QStringLiteral("com.quiverleaf.Quiverleaf"); }
inline QString storeBundleIdentifier() { return QStringLiteral("com.quiverleaf.QuiverleafStore"); }
inline QString siblingBundleIdentifier() { return QStringLiteral("com.quiverleaf.QuiverleafStudio"); }

// This program is the direct-sale build.
inline QString mainBundleIdentifier() { return directSaleBundleIdentifier(); }

inline QString feedbackToken()
{
    return QStringLiteral("a1b2c3d4e5f60718293a4b5c6d7e8f90a1b2c3d4e5f60718293a4b5c6d7e8f90");
}
// Build settings (CMake cache variables of the same names); each is empty
// unless the build names it, so a default build reaches no outside host.
QString storeAppId();         // QUIVERLEAF_STORE_APP_ID: the program's number in the store
QString supportLink();        // QUIVERLEAF_SUPPORT_URL: the product's page on the support site
QString ratingsLinksText();   // QUIVERLEAF_RATINGS_LINKS: review pages, "SOURCE=URL ..."
QString crashApiKey();        // QUIVERLEAF_CRASH_API_KEY
QString crashServiceUrl();    // QUIVERLEAF_CRASH_SERVICE_URL: every endpoint of the crash kit
QString noticesHost();        // QUIVERLEAF_NOTICES_HOST: serves "<bundle id>.plist"
QString storeLookupHost();    // QUIVERLEAF_STORE_LOOKUP_HOST: the store's look-up service
QString websiteUrl();         // QUIVERLEAF_WEBSITE_URL
QString mobileEditionUrl();   // QUIVERLEAF_MOBILE_EDITION_URL
QString movieUrl();           // QUIVERLEAF_MOVIE_URL; empty: the clip in the program's data folder

// The support page with the query that opens its contact form; empty
// without a support page.
QString contactLink();
// Review pages by download source, from a text of "SOURCE=URL" entries
// separated by white space ("2=https://… 3=https://…"); malformed entries
// are left out.
QList<QPair<int, QString>> parseRatingsLinks(const QString& text);
QList<QPair<int, QString>> ratingsLinks();

} // namespace ql::identity
