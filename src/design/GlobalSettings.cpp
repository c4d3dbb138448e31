#include "design/GlobalSettings.h"

#include "design/BuildIdentity.h"

namespace ql {

namespace {

QVariantMap commonSettings()
{
    return {
        {QStringLiteral("appID"), identity::storeAppId()},
        {QStringLiteral("apptentiveID"), identity::feedbackToken()},
        {QStringLiteral("contactLink"), identity::contactLink()},
        {QStringLiteral("supportLink"), identity::supportLink()},
    };
}

} // namespace

GlobalSettings GlobalSettings::forBundleIdentifier(const QString& bundleIdentifier)
{
    GlobalSettings result;
    if (bundleIdentifier == identity::siblingBundleIdentifier() || bundleIdentifier == identity::storeBundleIdentifier()) {
        result.downloadSource = 1;
        result.settings = commonSettings();
        result.known = true;
    } else if (bundleIdentifier == identity::directSaleBundleIdentifier()) {
        result.settings = commonSettings();
        QVariantMap links;
        for (const auto& [source, link] : identity::ratingsLinks())
            links.insert(QString::number(source), link);
        result.settings.insert(QStringLiteral("ratingsLinks"), links);
        result.known = true;
    }
    return result;
}

} // namespace ql
