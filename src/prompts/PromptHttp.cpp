#include "prompts/PromptHttp.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace ql {

namespace {

constexpr int transferTimeoutMs = 60'000;
constexpr qint64 maxBodyBytes = 8 << 20;

// Errors of the connection or the protocol; content and server errors only
// repeat the status, which callers read themselves.
bool isTransportError(QNetworkReply::NetworkError error)
{
    return (error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)
        || (error >= QNetworkReply::ProtocolUnknownError && error < QNetworkReply::InternalServerError)
        || error == QNetworkReply::UnknownNetworkError || error == QNetworkReply::UnknownProxyError;
}

} // namespace

void httpGet(QNetworkAccessManager& network, QObject* context, const QUrl& url, CachePolicy cache,
             std::function<void(HttpAnswer)> done)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(transferTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, cache == CachePolicy::IgnoreLocalData
                                                                         ? QNetworkRequest::AlwaysNetwork
                                                                         : QNetworkRequest::PreferNetwork);
    QNetworkReply* reply = network.get(request);
    auto tooLarge = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, tooLarge](qint64 received, qint64 total) {
        if (received > maxBodyBytes || total > maxBodyBytes) {
            *tooLarge = true;
            reply->abort();
        }
    });
    QPointer<QObject> guard(context);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, guard, tooLarge, done = std::move(done)] {
        reply->deleteLater();
        if (!guard)
            return;
        HttpAnswer answer;
        if (*tooLarge) {
            answer.error = Error {networkErrorDomain, int(QNetworkReply::OperationCanceledError),
                                  QStringLiteral("The answer is larger than %1 bytes.").arg(maxBodyBytes)};
            done(std::move(answer));
            return;
        }
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.body = reply->readAll();
        if (isTransportError(reply->error()) || (answer.status == 0 && reply->error() != QNetworkReply::NoError))
            answer.error = Error {networkErrorDomain, int(reply->error()), reply->errorString()};
        done(std::move(answer));
    });
}

} // namespace ql
