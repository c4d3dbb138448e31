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

inline QString storeAppId() { return QStringLiteral("104712358"); }
inline QString feedbackToken()
{
    return QStringLiteral("a1b2c3d4e5f60718293a4b5c6d7e8f90a1b2c3d4e5f60718293a4b5c6d7e8f90");
}
inline QString supportLink() { return QStringLiteral("https://support.quiverleaf.example/quiverleaf"); }
inline QString contactLink() { return supportLink() + QStringLiteral("?contact=1"); }

// Review pages by download source.
inline QList<QPair<int, QString>> ratingsLinks()
{
    const QString downloadSite = QStringLiteral("https://downloads.quiverleaf.example/quiverleaf");
    return {
        {0, downloadSite},
        {2, downloadSite},
        {3, QStringLiteral("https://store.quiverleaf.example/search?q=Quiverleaf")},
        {4, QStringLiteral("https://software.quiverleaf.example/quiverleaf")},
        {5, QStringLiteral("https://apps.quiverleaf.example/quiverleaf")},
        {6, QStringLiteral("https://files.quiverleaf.example/quiverleaf")},
    };
}

// Build settings (CMake cache variables of the same names); each is empty
// unless the build names it, so a default build reaches no outside host.
QString crashApiKey();        // QUIVERLEAF_CRASH_API_KEY
QString crashServiceUrl();    // QUIVERLEAF_CRASH_SERVICE_URL: every endpoint of the crash kit
QString noticesHost();        // QUIVERLEAF_NOTICES_HOST: serves "<bundle id>.plist"
QString storeLookupHost();    // QUIVERLEAF_STORE_LOOKUP_HOST: the store's look-up service
QString websiteUrl();         // QUIVERLEAF_WEBSITE_URL
QString mobileEditionUrl();   // QUIVERLEAF_MOBILE_EDITION_URL
QString movieUrl();           // QUIVERLEAF_MOVIE_URL; empty: the clip in the program's data folder

} // namespace ql::identity
