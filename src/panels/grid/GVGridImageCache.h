// Thumbnails a grid's items load by link, shared by all items of the grid:
// pictures by their whole link (links that differ only in host or query are
// different pictures), links being fetched (asked once at a time) and links
// that failed (not asked again until the grid reloads).
#pragma once

#include "app/categories/ImageLoader.h"
#include "platform/graphics/Image.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QUrl>

namespace ql {

class GVGridImageCache : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    Image image(const QUrl& url) const { return m_images.value(url); }
    bool contains(const QUrl& url) const { return m_images.contains(url); }
    void insert(const QUrl& url, const Image& image) { m_images.insert(url, image); }
    int count() const { return int(m_images.size()); }
    bool hasFailed(const QUrl& url) const { return m_failed.contains(url); }
    bool isLoading(const QUrl& url) const { return m_loading.contains(url); }

    // Starts fetching the link unless it is cached, being fetched or failed.
    void load(const QUrl& url);
    // Failed links may be asked again.
    void forgetFailures();
    // Thumbnails larger than this fail (default: any picture the loader takes).
    qint64 byteLimit() const { return m_byteLimit; }
    void setByteLimit(qint64 limit) { m_byteLimit = limit; }

signals:
    // The fetch ended; the image is null when it failed.
    void loaded(const QUrl& url, const ql::Image& image);

private:
    QHash<QUrl, Image> m_images;
    QSet<QUrl> m_loading;
    QSet<QUrl> m_failed;
    quint64 m_generation = 0;
    qint64 m_byteLimit = kLargestLoadedImage;
};

} // namespace ql
