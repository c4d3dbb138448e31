#include "app/categories/ImageLoader.h"

#include <QCoreApplication>
#include <QFile>
#include <QThreadPool>
#include <QTimer>
#include <curl/curl.h>
#include <filesystem>
#include <mutex>

namespace ql {

namespace {

// Nothing worth showing is this large; stop rather than exhaust memory.
constexpr qint64 largestImage = qint64(512) * 1024 * 1024;

size_t collect(char* data, size_t size, size_t count, void* target)
{
    auto* bytes = static_cast<QByteArray*>(target);
    if (bytes->size() + qint64(size * count) > largestImage)
        return 0;
    bytes->append(data, qsizetype(size * count));
    return size * count;
}

QByteArray readUrl(const QUrl& url, int timeoutMs)
{
    if (url.isLocalFile()) {
        // Only regular files: opening a FIFO blocks until a writer comes, and
        // a device such as /dev/zero never ends.
        std::error_code error;
        const std::filesystem::path path(url.toLocalFile().toStdString());
        if (!std::filesystem::is_regular_file(path, error))
            return {};
        QFile file(url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly) || file.size() > largestImage)
            return {};
        return file.readAll();
    }
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return {};
    CURL* curl = curl_easy_init();
    if (!curl)
        return {};
    QByteArray bytes;
    const QByteArray address = url.toEncoded();
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(timeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(timeoutMs));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &bytes);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK ? bytes : QByteArray();
}

} // namespace

void loadFromURL(const QUrl& url, std::function<void(Image)> callback, int timeoutMs)
{
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    QCoreApplication* app = QCoreApplication::instance();
    QThreadPool::globalInstance()->start([url, callback = std::move(callback), timeoutMs, app]() mutable {
        const QByteArray data = readUrl(url, timeoutMs);
        // Decoding and the callback belong to the main thread.
        QMetaObject::invokeMethod(app, [data, callback = std::move(callback)] {
            Result<Image> image = data.isEmpty() ? Result<Image>(Error {}) : Image::fromData(data);
            callback(image ? image.value() : Image());
        }, Qt::QueuedConnection);
    });
}

} // namespace ql
