#include "prompts/StoreLookup.h"

#include "platform/ui/Workspace.h"
#include "prompts/PromptEnvironment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QUrlQuery>

namespace ql {

namespace {

constexpr int storePollIntervalMs = 500;
constexpr int storePollPasses = 121; // half a second apart: one minute
constexpr int reopenDelayMs = 5000;

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

void pollStore(const PromptEnvironment& env, QPointer<QObject> context, std::function<QUrl()> url, int passesLeft)
{
    if (!context || passesLeft <= 0)
        return;
    if (env.storeRunning()) {
        env.schedule(reopenDelayMs, context, [env, url] {
            if (env.workspace)
                env.workspace->openUrl(url());
        });
        return;
    }
    env.schedule(storePollIntervalMs, context, [env, context, url, passesLeft] {
        pollStore(env, context, url, passesLeft - 1);
    });
}

} // namespace

QString storeCountryForCode(const QString& countryCode)
{
    if (countryCode == u"150")
        return QStringLiteral("eu");
    if (countryCode.size() == 2 && isAsciiLetter(countryCode[0]) && isAsciiLetter(countryCode[1]))
        return countryCode;
    return QStringLiteral("us");
}

QUrl storeLookupUrl(const QUrl& base, const QString& country, quint64 appStoreID, const QString& bundleID)
{
    QUrl url = base;
    QString path = base.path();
    while (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path + u'/' + country + QStringLiteral("/lookup"));
    QUrlQuery query;
    if (appStoreID != 0)
        query.addQueryItem(QStringLiteral("id"), QString::number(appStoreID));
    else
        query.addQueryItem(QStringLiteral("bundleId"), bundleID);
    url.setQuery(query);
    return url;
}

StoreAnswer readStoreAnswer(const HttpAnswer& answer, bool statusErrors, bool parseJson)
{
    StoreAnswer result;
    if (answer.status != 200 || answer.body.isEmpty()) {
        if (statusErrors && answer.status >= 400)
            result.error = Error {httpResponseErrorDomain, answer.status,
                                  QStringLiteral("The server returned a %1 error").arg(answer.status)};
        else
            result.error = answer.error;
        return result;
    }
    result.read = true;
    if (!parseJson) {
        result.entry = QString::fromUtf8(answer.body);
        return result;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(answer.body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        result.error = Error {jsonErrorDomain, int(parseError.error),
                              QStringLiteral("The store's answer is not JSON: %1.").arg(parseError.errorString())};
        return result;
    }
    const QJsonArray results = document.object().value(QStringLiteral("results")).toArray();
    if (!results.isEmpty())
        result.entry = results.last().toVariant();
    return result;
}

void lookUpInStore(QNetworkAccessManager& network, const PromptEnvironment& env, QObject* context, const QUrl& url,
                   CachePolicy cache, std::function<void(HttpAnswer)> done)
{
    if (env.lookupBaseUrl.isEmpty()) {
        // Answered as a store that does not know the program.
        env.schedule(0, context, [done = std::move(done)] {
            done(HttpAnswer {200, QByteArrayLiteral(R"({"resultCount":0,"results":[]})"), std::nullopt});
        });
        return;
    }
    httpGet(network, context, url, cache, std::move(done));
}

QUrl storePageUrl(const QString& host, quint64 appStoreID)
{
    QUrl url;
    url.setScheme(QStringLiteral("macappstore"));
    url.setHost(host);
    url.setPath(QStringLiteral("/app/id%1").arg(appStoreID));
    return url;
}

void openAppPageWhenAppStoreLaunched(const PromptEnvironment& env, QObject* context, std::function<QUrl()> url)
{
    pollStore(env, context, std::move(url), storePollPasses);
}

quint64 storeNumber(const QVariant& value)
{
    bool ok = false;
    switch (value.typeId()) {
    case QMetaType::QString: {
        const quint64 number = value.toString().trimmed().toULongLong(&ok);
        return ok ? number : 0;
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return value.toLongLong() > 0 ? value.toULongLong() : 0;
    default: {
        const double number = value.toDouble(&ok);
        return ok && number >= 1 && number < 1.8e19 ? quint64(number) : 0;
    }
    }
}

} // namespace ql
