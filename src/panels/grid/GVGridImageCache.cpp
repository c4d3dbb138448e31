#include "panels/grid/GVGridImageCache.h"

#include <QPointer>

namespace ql {

void GVGridImageCache::load(const QUrl& url)
{
    if (!url.isValid() || m_images.contains(url) || m_loading.contains(url) || m_failed.contains(url))
        return;
    m_loading.insert(url);
    const QPointer<GVGridImageCache> self = this;
    const quint64 generation = m_generation;
    loadFromURL(url, [self, url, generation](Image image) {
        if (!self)
            return;
        self->m_loading.remove(url);
        if (image.isNull()) {
            // A failure from before a reload stays forgotten.
            if (generation == self->m_generation)
                self->m_failed.insert(url);
        } else {
            self->m_images.insert(url, image);
        }
        emit self->loaded(url, image);
    }, 30000, m_byteLimit);
}

void GVGridImageCache::forgetFailures()
{
    m_failed.clear();
    ++m_generation;
}

} // namespace ql
