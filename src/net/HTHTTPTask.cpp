#include "net/HTHTTPTask.h"

#include <QCryptographicHash>
#include <QFile>
#include <chrono>
#include <curl/curl.h>
#include <mutex>

namespace ql {

namespace {

using Clock = std::chrono::steady_clock;

struct Transfer {
    const HTHTTPTask* task = nullptr;
    qint64 limit = 0;
    QByteArray* body = nullptr;
    QFile* file = nullptr;
    QCryptographicHash md5 {QCryptographicHash::Md5};
    qint64 received = 0;
    bool tooLarge = false;
    bool fileFailed = false;
    bool stalled = false;
    std::chrono::milliseconds stallTimeout {0};
    Clock::time_point lastProgress = Clock::now();
    curl_off_t lastCount = -1;
    QHash<QByteArray, QByteArray> headers;
};

size_t writeBody(char* data, size_t size, size_t count, void* context)
{
    auto& transfer = *static_cast<Transfer*>(context);
    const qint64 length = qint64(size * count);
    if (transfer.received + length > transfer.limit) {
        transfer.tooLarge = true;
        return 0;
    }
    if (transfer.file) {
        if (transfer.file->write(data, length) != length) {
            transfer.fileFailed = true;
            return 0;
        }
    } else {
        transfer.body->append(data, length);
    }
    transfer.md5.addData(QByteArrayView(data, length));
    transfer.received += length;
    return size_t(length);
}

size_t readHeader(char* data, size_t size, size_t count, void* context)
{
    auto& transfer = *static_cast<Transfer*>(context);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    // Each response of a redirect chain starts over.
    if (line.startsWith("HTTP/"))
        transfer.headers.clear();
    const qsizetype colon = line.indexOf(':');
    if (colon > 0)
        transfer.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    return size * count;
}

int progress(void* context, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t, curl_off_t uploaded)
{
    Q_UNUSED(downloadTotal);
    auto& transfer = *static_cast<Transfer*>(context);
    if (transfer.task->isCancelled())
        return 1;
    const Clock::time_point now = Clock::now();
    const curl_off_t count = downloaded + uploaded;
    if (count != transfer.lastCount) {
        transfer.lastCount = count;
        transfer.lastProgress = now;
    } else if (now - transfer.lastProgress > transfer.stallTimeout) {
        transfer.stalled = true;
        return 1;
    }
    return 0;
}

Error failure(HTHTTPTask::ErrorCode code, const QString& message)
{
    return Error {HTHTTPTask::kErrorDomain, code, message};
}

} // namespace

HTHTTPTask::HTHTTPTask(HTHTTPRequest request)
    : m_request(std::move(request))
{
}

Result<HTHTTPResponse> HTHTTPTask::perform()
{
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const QUrl& url = m_request.url;
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return failure(InvalidURL, QObject::tr("“%1” is not an http or https address.").arg(url.toString()));
    if (m_cancelled)
        return failure(Cancelled, QObject::tr("The download was cancelled."));

    HTHTTPResponse response;
    Transfer transfer;
    transfer.task = this;
    transfer.limit = m_request.byteLimit;
    transfer.body = &response.body;
    transfer.stallTimeout = std::chrono::milliseconds(m_request.stallTimeoutMs);
    QFile file(m_request.destinationPath);
    if (!m_request.destinationPath.isEmpty()) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return failure(FileFailure, QObject::tr("“%1” could not be written: %2").arg(file.fileName(), file.errorString()));
        transfer.file = &file;
    }

    CURL* curl = curl_easy_init();
    if (!curl)
        return failure(NetworkFailure, QObject::tr("The network could not be used."));
    const QByteArray address = url.toEncoded();
    curl_slist* headers = nullptr;
    for (const auto& [name, value] : m_request.headers)
        headers = curl_slist_append(headers, (name + ": " + value).constData());
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Quiverleaf");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, long(kMaximumRedirects));
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(m_request.connectTimeoutMs));
    // A body announced beyond the limit fails before it comes.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(m_request.byteLimit));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, readHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t announced = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    char* effective = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
    response.finalUrl = effective ? QUrl::fromEncoded(effective) : url;
    const QString curlMessage = QString::fromUtf8(curl_easy_strerror(code));
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    if (transfer.file)
        file.close();

    response.statusCode = int(status);
    response.headers = transfer.headers;
    response.bytesReceived = transfer.received;
    response.announcedLength = announced;
    response.md5 = transfer.md5.result().toHex();

    const auto fail = [&](Error error) -> Result<HTHTTPResponse> {
        if (transfer.file)
            file.remove();
        return error;
    };
    const QString where = url.toDisplayString();
    if (code == CURLE_HTTP_RETURNED_ERROR || (code == CURLE_OK && status >= 400))
        return fail(Error {kHTTPStatusErrorDomain, int(status),
                           QObject::tr("The server answered %1 for “%2”.").arg(status).arg(where)});
    if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
        return fail(failure(TooLarge, QObject::tr("“%1” is larger than %2 bytes.").arg(where).arg(m_request.byteLimit)));
    if (transfer.fileFailed)
        return fail(failure(FileFailure, QObject::tr("“%1” could not be written: %2").arg(file.fileName(), file.errorString())));
    if (code == CURLE_ABORTED_BY_CALLBACK && transfer.stalled)
        return fail(failure(TimedOut, QObject::tr("“%1” did not answer in time.").arg(where)));
    if (code == CURLE_ABORTED_BY_CALLBACK || m_cancelled)
        return fail(failure(Cancelled, QObject::tr("The download was cancelled.")));
    if (code == CURLE_OPERATION_TIMEDOUT)
        return fail(failure(TimedOut, QObject::tr("“%1” did not answer in time.").arg(where)));
    if (code == CURLE_PARTIAL_FILE || (code == CURLE_OK && announced >= 0 && announced != transfer.received))
        return fail(failure(ShortBody, QObject::tr("“%1” ended before all of it came.").arg(where)));
    if (code != CURLE_OK)
        return fail(failure(NetworkFailure, QObject::tr("“%1” could not be loaded: %2").arg(where, curlMessage)));
    return response;
}

} // namespace ql
