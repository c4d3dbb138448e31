// Thumbnails a grid's items load by link, shared by all items of the grid:
// pictures by their whole link (links that differ only in host or query are
// different pictures), links being fetched (asked once at a time) and links
// that failed (not asked again until the grid reloads).
//
// A thumbnail is decoded at the size it is shown, whatever size its data
// claims, and the thumbnails kept take no more than a bound of memory
// together: those drawn longest ago go first, and are fetched again when
// they are next drawn.
#pragma once

#include "imaging/ImageLoader.h"
#include "platform/graphics/Image.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QUrl>
#include <list>

namespace ql {

class GVGridImageCache : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kDefaultMemoryLimit = qint64(64) << 20;

    using QObject::QObject;

    // The thumbnail of a link, null when none is kept; asking counts as
    // drawing it.
    Image image(const QUrl& url);
    bool contains(const QUrl& url) const { return m_images.contains(url); }
    void insert(const QUrl& url, const Image& image);
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
    // The pixels a thumbnail is decoded within (empty: its own size).
    QSize thumbnailSize() const { return m_thumbnailSize; }
    void setThumbnailSize(QSize pixels) { m_thumbnailSize = pixels; }
    // The memory the kept thumbnails may take, and take now.
    qint64 memoryLimit() const { return m_memoryLimit; }
    void setMemoryLimit(qint64 bytes);
    qint64 memoryUsed() const { return m_memoryUsed; }

signals:
    // The fetch ended; the image is null when it failed.
    void loaded(const QUrl& url, const ql::Image& image);

private:
    struct Kept {
        Image image;
        qint64 bytes = 0;
        std::list<QUrl>::iterator place;
    };
    void remove(const QUrl& url);
    // Lets the thumbnails drawn longest ago go, but never `keep`.
    void shrinkTo(qint64 bytes, const QUrl& keep);

    QHash<QUrl, Kept> m_images;
    // Least recently drawn first.
    std::list<QUrl> m_recent;
    qint64 m_memoryUsed = 0;
    qint64 m_memoryLimit = kDefaultMemoryLimit;
    QSet<QUrl> m_loading;
    QSet<QUrl> m_failed;
    quint64 m_generation = 0;
    qint64 m_byteLimit = kLargestLoadedImage;
    QSize m_thumbnailSize;
};

} // namespace ql
