#include "net/HTS3Manager.h"

#include "net/ListObjectsParser.h"
#include "net/S3RequestSigner.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QtDebug>

namespace ql {

namespace {

const QString kDomain = QStringLiteral("HTS3Manager");

// Runs on the main thread soon, unless the receiver is gone by then.
void deliverLater(QObject* receiver, std::function<void()> call)
{
    const bool guarded = receiver != nullptr;
    QPointer<QObject> guard = receiver;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [guarded, guard, call = std::move(call)] {
            if (!guarded || guard)
                call();
        },
        Qt::QueuedConnection);
}

} // namespace

HTS3Manager::HTS3Manager(HTS3Configuration configuration, QString cacheRoot, HTHTTPClient& client)
    : m_configuration(std::move(configuration))
    , m_cache(std::move(cacheRoot))
    , m_client(client)
{
}

void HTS3Manager::setTimeouts(int connectMs, int stallMs)
{
    m_connectTimeoutMs = connectMs;
    m_stallTimeoutMs = stallMs;
}

std::shared_ptr<HTHTTPTask> HTS3Manager::listObjects(QObject* receiver, ListCompletion completion)
{
    if (!isConfigured()) {
        deliverLater(receiver, [completion] {
            completion(Error {kDomain, 1, QObject::tr("No template library is configured.")});
        });
        return nullptr;
    }
    HTHTTPRequest request;
    request.url = m_configuration.bucketURL;
    request.byteLimit = kMaximumListingBytes;
    request.connectTimeoutMs = m_connectTimeoutMs;
    request.stallTimeoutMs = m_stallTimeoutMs;
    const QByteArray date = S3RequestSigner::httpDate(QDateTime::currentDateTimeUtc());
    request.headers.append({"Date", date});
    const S3RequestSigner signer(m_configuration.accessKey, m_configuration.secret);
    if (signer.hasCredentials())
        request.headers.append(
            {"Authorization", signer.authorization("GET", date, S3RequestSigner::canonicalResource(request.url))});
    const HTObjectCache cache = m_cache;
    return m_client.get(std::move(request), receiver,
                        [cache, completion = std::move(completion)](const Result<HTHTTPResponse>& response) {
                            if (!response) {
                                completion(response.error());
                                return;
                            }
                            const ListObjectsParser parser = ListObjectsParser::parse(response->body);
                            if (!parser.errorString().isEmpty())
                                qWarning() << "The template listing ends early:" << parser.errorString();
                            QList<S3Object> objects;
                            for (const S3Object& object : parser.objects()) {
                                if (cache.acceptsKey(object.key))
                                    objects.append(object);
                                else
                                    qWarning() << "A template is left out: its key cannot be a file name:"
                                               << object.key.left(200);
                            }
                            completion(objects);
                        });
}

QUrl HTS3Manager::urlForKey(const QString& key) const
{
    QByteArray address = m_configuration.bucketURL.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment).toEncoded();
    while (address.endsWith('/'))
        address.chop(1);
    for (const QString& segment : key.split(u'/'))
        address += '/' + QUrl::toPercentEncoding(segment);
    return QUrl::fromEncoded(address, QUrl::StrictMode);
}

std::shared_ptr<HTHTTPTask> HTS3Manager::downloadObject(const S3Object& object, QObject* receiver,
                                                        DownloadCompletion completion)
{
    const Result<QString> target = m_cache.pathForKey(object.key);
    if (!target) {
        deliverLater(receiver, [completion, error = target.error()] { completion(error); });
        return nullptr;
    }
    if (m_cache.hasCurrentCopy(object)) {
        deliverLater(receiver, [completion, path = *target] { completion(path); });
        return nullptr;
    }
    const Result<QString> temporary = m_cache.prepareDownload(object);
    if (!temporary) {
        deliverLater(receiver, [completion, error = temporary.error()] { completion(error); });
        return nullptr;
    }
    HTHTTPRequest request;
    request.url = urlForKey(object.key);
    request.byteLimit = kMaximumObjectBytes;
    request.destinationPath = *temporary;
    request.connectTimeoutMs = m_connectTimeoutMs;
    request.stallTimeoutMs = m_stallTimeoutMs;
    // The completion may outlive this manager: it keeps its own cache record.
    const HTObjectCache cache = m_cache;
    const QString partial = *temporary;
    return m_client.get(
        std::move(request), receiver,
        [cache, object, partial, target = *target, completion = std::move(completion)](
            const Result<HTHTTPResponse>& response) {
            if (!response) {
                QFile::remove(partial);
                completion(response.error());
                return;
            }
            if (const Status checked = checkDownload(object, *response); !checked) {
                QFile::remove(partial);
                completion(checked.error());
                return;
            }
            if (const Status stored = cache.commitDownload(object, partial); !stored) {
                completion(stored.error());
                return;
            }
            completion(target);
        });
}

Status HTS3Manager::checkDownload(const S3Object& object, const HTHTTPResponse& response)
{
    const QString key = object.key;
    if (response.statusCode != 200)
        return Error {kDomain, 2, QObject::tr("The server answered %1 for “%2”.").arg(response.statusCode).arg(key)};
    const bool lengthAgrees = (response.announcedLength < 0 || response.announcedLength == response.bytesReceived)
        && (object.size <= 0 || object.size == response.bytesReceived);
    if (!lengthAgrees)
        return Error {kDomain, 3, QObject::tr("“%1” did not come whole.").arg(key)};
    if (HTObjectCache::isDigestTag(object.etag) && response.md5 != object.etag.toLower().toLatin1())
        return Error {kDomain, 4, QObject::tr("“%1” came damaged: its checksum does not match.").arg(key)};
    return {};
}

} // namespace ql
