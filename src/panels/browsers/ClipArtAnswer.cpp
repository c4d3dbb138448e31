#include "panels/browsers/ClipArtAnswer.h"

#include "util/StringExtensions.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ql::clipart {

namespace {

const QString kErrorDomain = QStringLiteral("ClipArtSearch");
enum ErrorCode { BadHost = 1, BadAnswer };

QString tr(const char* text)
{
    return QCoreApplication::translate("ClipArtSearch", text);
}

bool isWebLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QUrl webLink(const QJsonValue& value)
{
    const QUrl url(value.toString(), QUrl::StrictMode);
    return isWebLink(url) ? url : QUrl();
}

} // namespace

Result<QUrl> searchURL(const QString& host, const QString& query, int page)
{
    QString base = host.trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QUrl url = QUrl::fromEncoded((base + QStringLiteral("/search/json/?query=") + urlencode(query)
                                        + QStringLiteral("&page=") + QString::number(page))
                                           .toUtf8(),
                                       QUrl::StrictMode);
    const QUrl given(base, QUrl::StrictMode);
    if (!isWebLink(url) || !isWebLink(given) || given.hasQuery() || given.hasFragment())
        return Error {kErrorDomain, BadHost,
                      tr("The clip-art service “%1” is not an http or https address.").arg(host.trimmed())};
    return url;
}

Result<QList<ClipArtItem>> parseAnswer(const QByteArray& json)
{
    QJsonParseError parsing;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parsing);
    const QJsonValue results = document.object().value(QStringLiteral("results"));
    if (parsing.error != QJsonParseError::NoError || !document.isObject() || !results.isArray())
        return Error {kErrorDomain, BadAnswer, tr("The clip-art service sent an answer that is not a list of results.")};
    QList<ClipArtItem> items;
    const QJsonArray entries = results.toArray();
    for (qsizetype i = 0; i < entries.size() && i < kItemLimit; ++i) {
        const QJsonObject entry = entries.at(i).toObject();
        ClipArtItem item;
        item.url = webLink(entry.value(QStringLiteral("url")));
        if (item.url.isEmpty())
            continue;
        item.title = entry.value(QStringLiteral("title")).toString().simplified().left(kTitleLimit);
        item.thumbnail = webLink(entry.value(QStringLiteral("thumbnail")));
        items.append(item);
    }
    return items;
}

} // namespace ql::clipart
