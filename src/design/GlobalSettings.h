// The settings that depend on which build is running, chosen by bundle
// identifier.
#pragma once

#include <QString>
#include <QVariantMap>

namespace ql {

struct GlobalSettings {
    // 1 for the store builds, 2 for the direct-sale build and any other.
    int downloadSource = 2;
    // Empty for an identifier no known build has; "ratingsLinks" maps the
    // download source (as a decimal string key) to a review page.
    QVariantMap settings;
    bool known = false;

    static GlobalSettings forBundleIdentifier(const QString& bundleIdentifier);
};

} // namespace ql
