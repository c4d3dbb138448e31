#include "panels/grid/GVGridImageCache.h"

#include <QPointer>

namespace ql {

namespace {

qint64 memoryOf(const Image& image)
{
    const QSize pixels = image.pixelSize();
    return qint64(std::max(0, pixels.width())) * std::max(0, pixels.height()) * 4;
}

} // namespace

Image GVGridImageCache::image(const QUrl& url)
{
    const auto found = m_images.find(url);
    if (found == m_images.end())
        return {};
    m_recent.splice(m_recent.end(), m_recent, found->place);
    return found->image;
}

void GVGridImageCache::insert(const QUrl& url, const Image& image)
{
    remove(url);
    Kept kept {image, memoryOf(image), m_recent.insert(m_recent.end(), url)};
    m_memoryUsed += kept.bytes;
    m_images.insert(url, std::move(kept));
    shrinkTo(m_memoryLimit, url);
}

void GVGridImageCache::remove(const QUrl& url)
{
    const auto found = m_images.find(url);
    if (found == m_images.end())
        return;
    m_memoryUsed -= found->bytes;
    m_recent.erase(found->place);
    m_images.erase(found);
}

void GVGridImageCache::shrinkTo(qint64 bytes, const QUrl& keep)
{
    while (m_memoryUsed > bytes && !m_recent.empty() && m_recent.front() != keep)
        remove(m_recent.front());
}

void GVGridImageCache::setMemoryLimit(qint64 bytes)
{
    m_memoryLimit = bytes;
    shrinkTo(bytes, QUrl());
}

void GVGridImageCache::load(const QUrl& url)
{
    if (!url.isValid() || m_images.contains(url) || m_loading.contains(url) || m_failed.contains(url))
        return;
    m_loading.insert(url);
    const QPointer<GVGridImageCache> self = this;
    const quint64 generation = m_generation;
    ImageLoad how;
    how.byteLimit = m_byteLimit;
    how.fitWithin = m_thumbnailSize;
    loadImageFromURL(url, how, [self, url, generation](Result<Image> loaded) {
        if (!self)
            return;
        self->m_loading.remove(url);
        const Image image = loaded ? *loaded : Image();
        if (image.isNull()) {
            // A failure from before a reload stays forgotten.
            if (generation == self->m_generation)
                self->m_failed.insert(url);
        } else {
            self->insert(url, image);
        }
        emit self->loaded(url, image);
    });
}

void GVGridImageCache::forgetFailures()
{
    m_failed.clear();
    ++m_generation;
}

} // namespace ql
