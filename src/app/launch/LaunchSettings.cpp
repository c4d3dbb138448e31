#include "app/launch/LaunchSettings.h"

#include "design/BuildIdentity.h"

#include "util/Resources.h"

namespace ql {

LaunchSettings LaunchSettings::fromBuild()
{
    LaunchSettings settings;
    settings.bundleIdentifier = identity::mainBundleIdentifier();
    settings.crashApiKey = identity::crashApiKey();
    settings.crashServiceUrl = identity::crashServiceUrl();
    settings.noticesHost = identity::noticesHost();
    settings.storeLookupHost = identity::storeLookupHost();
    settings.websiteUrl = identity::websiteUrl();
    settings.mobileEditionUrl = identity::mobileEditionUrl();
    settings.movieUrl = identity::movieUrl();
    return settings;
}

QUrl LaunchSettings::serviceBase(const QString& hostOrUrl)
{
    const QString text = hostOrUrl.trimmed();
    if (text.isEmpty())
        return {};
    if (text.contains(QLatin1String("://")))
        return QUrl(text);
    return QUrl(QStringLiteral("https://") + text);
}

QUrl LaunchSettings::noticesUrl() const
{
    QUrl url = serviceBase(noticesHost);
    if (url.isEmpty())
        return {};
    QString path = url.path();
    if (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path + QStringLiteral("/%1.plist").arg(bundleIdentifier));
    return url;
}

QUrl LaunchSettings::movie() const
{
    if (!movieUrl.isEmpty())
        return QUrl(movieUrl);
    const QString clip = resourcePath(QStringLiteral("video/introduction.webm"));
    return clip.isEmpty() ? QUrl() : QUrl::fromLocalFile(clip);
}

} // namespace ql
