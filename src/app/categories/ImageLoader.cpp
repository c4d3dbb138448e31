#include "app/categories/ImageLoader.h"

#include "net/HTHTTPClient.h"

#include <QCoreApplication>
#include <QFile>
#include <QThreadPool>
#include <algorithm>
#include <filesystem>

namespace ql {

namespace {

QByteArray readFile(const QString& path, qint64 byteLimit)
{
    // Only regular files: opening a FIFO blocks until a writer comes, and
    // a device such as /dev/zero never ends.
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path.toStdString()), error))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > byteLimit)
        return {};
    return file.readAll();
}

void deliver(const QByteArray& data, const std::function<void(Image)>& callback)
{
    // Decoding belongs to the main thread, like the callback.
    Result<Image> image = data.isEmpty() ? Result<Image>(Error {}) : Image::fromData(data);
    callback(image ? image.value() : Image());
}

} // namespace

void loadFromURL(const QUrl& url, std::function<void(Image)> callback, int timeoutMs, qint64 byteLimit)
{
    if (url.isLocalFile()) {
        QCoreApplication* app = QCoreApplication::instance();
        QThreadPool::globalInstance()->start([path = url.toLocalFile(), byteLimit, callback = std::move(callback), app] {
            const QByteArray data = readFile(path, byteLimit);
            QMetaObject::invokeMethod(app, [data, callback] { deliver(data, callback); }, Qt::QueuedConnection);
        });
        return;
    }
    HTHTTPRequest request;
    request.url = url;
    request.byteLimit = byteLimit;
    request.connectTimeoutMs = std::min(request.connectTimeoutMs, timeoutMs);
    request.stallTimeoutMs = timeoutMs;
    HTHTTPClient::shared().get(std::move(request), nullptr,
                               [callback = std::move(callback)](const Result<HTHTTPResponse>& response) {
                                   deliver(response ? response->body : QByteArray(), callback);
                               });
}

} // namespace ql
