// What start-up needs to know about this build and where its services
// live. The build names the defaults; the start probe and tests replace them.
#pragma once

#include <QString>
#include <QUrl>

namespace ql {

struct LaunchSettings {
    QString bundleIdentifier;
    QString crashApiKey;
    QString crashServiceUrl;  // base of every crash-reporting endpoint; empty: the kit's own
    QString noticesHost;      // a host, or a base URL with its scheme; empty: no notices
    QString storeLookupHost;  // the same for the store's look-up service
    QString websiteUrl;
    QString mobileEditionUrl;
    QString movieUrl;         // empty: the clip in the program's data folder

    static LaunchSettings fromBuild();

    // "https://host" for a bare host, the text itself when it names a
    // scheme; empty for an empty text.
    static QUrl serviceBase(const QString& hostOrUrl);
    // Where the notices list of this build lies; empty without a host.
    QUrl noticesUrl() const;
    // The movie to offer; a local file URL when none is configured.
    QUrl movie() const;
};

} // namespace ql
