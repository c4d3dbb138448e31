#include "canvas/view/ElementPictureBudget.h"

#include "canvas/view/ElementPictureCache.h"

namespace ql {

bool ElementPictureBudget::admit(ElementPictureCache& cache, qint64 bytes, bool urgent)
{
    release(cache);
    while (m_used + bytes > m_limit && !m_entries.empty()) {
        const Entry oldest = m_entries.front();
        // Everything after it was drawn later, so in this repaint too.
        if (oldest.pass == m_pass && !urgent)
            break;
        release(*oldest.cache);
        oldest.cache->forgetPicture();
    }
    if (m_used + bytes > m_limit && !urgent)
        return false;
    m_entries.push_back({&cache, bytes, m_pass});
    m_index[&cache] = std::prev(m_entries.end());
    m_used += bytes;
    return true;
}

void ElementPictureBudget::touch(const ElementPictureCache& cache)
{
    const auto found = m_index.find(&cache);
    if (found == m_index.end())
        return;
    found->second->pass = m_pass;
    m_entries.splice(m_entries.end(), m_entries, found->second);
}

void ElementPictureBudget::release(const ElementPictureCache& cache)
{
    const auto found = m_index.find(&cache);
    if (found == m_index.end())
        return;
    m_used -= found->second->bytes;
    m_entries.erase(found->second);
    m_index.erase(found);
}

} // namespace ql
