// The template bucket: its listing (signed when the build has credentials,
// first page only), object addresses, and downloads into the object cache
// that keep a file only when it came whole and matches its entity tag.
#pragma once

#include "net/HTHTTPClient.h"
#include "net/HTObjectCache.h"
#include "net/HTS3Configuration.h"
#include "net/S3Object.h"

#include <QList>
#include <functional>
#include <memory>

namespace ql {

class HTS3Manager {
public:
    static constexpr qint64 kMaximumListingBytes = qint64(4) * 1024 * 1024;
    static constexpr qint64 kMaximumObjectBytes = qint64(64) * 1024 * 1024;

    using ListCompletion = std::function<void(const Result<QList<S3Object>>&)>;
    // The path of the cached file.
    using DownloadCompletion = std::function<void(const Result<QString>&)>;

    explicit HTS3Manager(HTS3Configuration configuration = HTS3Configuration::build(),
                         QString cacheRoot = HTObjectCache::defaultRoot(),
                         HTHTTPClient& client = HTHTTPClient::shared());

    bool isConfigured() const { return m_configuration.isConfigured(); }
    const HTS3Configuration& configuration() const { return m_configuration; }
    const HTObjectCache& cache() const { return m_cache; }
    void setTimeouts(int connectMs, int stallMs);

    // Lists the bucket. Objects whose keys could not be stored safely are left
    // out with a warning. Completion as the HTTP client gives it.
    std::shared_ptr<HTHTTPTask> listObjects(QObject* receiver, ListCompletion completion);
    // The object's address: the bucket's, then each key segment
    // percent-encoded.
    QUrl urlForKey(const QString& key) const;
    // Downloads the object into the cache, unsigned. A cached copy that its
    // entity tag confirms is handed back without a request (the task is then
    // null). A failed download leaves no file and keeps an earlier copy.
    std::shared_ptr<HTHTTPTask> downloadObject(const S3Object& object, QObject* receiver,
                                               DownloadCompletion completion);

private:
    static Status checkDownload(const S3Object& object, const HTHTTPResponse& response);

    HTS3Configuration m_configuration;
    HTObjectCache m_cache;
    HTHTTPClient& m_client;
    int m_connectTimeoutMs = 15000;
    int m_stallTimeoutMs = 30000;
};

} // namespace ql
