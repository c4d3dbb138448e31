#include "imaging/ImageLoader.h"

#include "net/HTHTTPClient.h"
#include "platform/runtime/FileReading.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <algorithm>

namespace ql {

namespace {

void deliver(const Result<QByteArray>& data, const ImageLoad& how,
             const std::function<void(Result<Image>)>& callback)
{
    // Decoding belongs to the main thread, like the callback.
    if (!data)
        callback(data.error());
    else if (how.fitWithin.isValid())
        callback(Image::thumbnailFromData(*data, how.fitWithin));
    else
        callback(Image::fromData(*data));
}

} // namespace

void loadImageFromURL(const QUrl& url, const ImageLoad& how, std::function<void(Result<Image>)> callback)
{
    if (url.isLocalFile()) {
        QCoreApplication* app = QCoreApplication::instance();
        QThreadPool::globalInstance()->start([path = url.toLocalFile(), how, callback = std::move(callback), app] {
            Result<QByteArray> data = readFileWithin(path, how.byteLimit);
            QMetaObject::invokeMethod(app, [data = std::move(data), how, callback] { deliver(data, how, callback); },
                                      Qt::QueuedConnection);
        });
        return;
    }
    HTHTTPRequest request;
    request.url = url;
    request.byteLimit = how.byteLimit;
    request.connectTimeoutMs = std::min(request.connectTimeoutMs, how.timeoutMs);
    request.stallTimeoutMs = how.timeoutMs;
    HTHTTPClient::shared().get(std::move(request), nullptr,
                               [how, callback = std::move(callback)](const Result<HTHTTPResponse>& response) {
                                   deliver(response ? Result<QByteArray>(response->body)
                                                    : Result<QByteArray>(response.error()),
                                           how, callback);
                               });
}

void loadFromURL(const QUrl& url, std::function<void(Image)> callback, int timeoutMs, qint64 byteLimit)
{
    loadImageFromURL(url, {timeoutMs, byteLimit, {}},
                     [callback = std::move(callback)](Result<Image> image) { callback(image ? *image : Image()); });
}

bool isTooLargeToLoad(const Error& error)
{
    return isFileTooLarge(error)
           || (error.domain == HTHTTPTask::kErrorDomain && error.code == HTHTTPTask::TooLarge);
}

} // namespace ql
