#include "platform/graphics/OnDemandPixels.h"

#include <atomic>
#include <list>
#include <unordered_map>

namespace ql {

namespace {
std::atomic<quint64> g_pictures {0};
}

// The pixels kept, least recently used first, within kKeptBytes.
class KeptPixels {
public:
    static KeptPixels& shared()
    {
        // Never destroyed: pictures held by other statics may outlive it.
        static KeptPixels* const pictures = new KeptPixels;
        return *pictures;
    }

    void used(const OnDemandPixels* picture, qint64 bytes)
    {
        const std::lock_guard lock(m_mutex);
        removeLocked(picture);
        m_order.push_back(picture);
        m_entries.emplace(picture, Entry {std::prev(m_order.end()), bytes});
        m_total += bytes;
        // The picture just used stays, even alone past the budget.
        while (m_total > OnDemandPixels::kKeptBytes && m_order.front() != picture) {
            const OnDemandPixels* oldest = m_order.front();
            removeLocked(oldest);
            oldest->forget();
        }
    }

    void gone(const OnDemandPixels* picture)
    {
        const std::lock_guard lock(m_mutex);
        removeLocked(picture);
    }

private:
    struct Entry {
        std::list<const OnDemandPixels*>::iterator place;
        qint64 bytes = 0;
    };
    void removeLocked(const OnDemandPixels* picture)
    {
        if (auto found = m_entries.find(picture); found != m_entries.end()) {
            m_total -= found->second.bytes;
            m_order.erase(found->second.place);
            m_entries.erase(found);
        }
    }

    std::mutex m_mutex;
    std::list<const OnDemandPixels*> m_order;
    std::unordered_map<const OnDemandPixels*, Entry> m_entries;
    qint64 m_total = 0;
};

OnDemandPixels::OnDemandPixels(QSize pixelSize) : m_pixelSize(pixelSize), m_serial(++g_pictures) {}

OnDemandPixels::~OnDemandPixels()
{
    KeptPixels::shared().gone(this);
}

QImage OnDemandPixels::pixels(QSize wanted) const
{
    QSize size = m_pixelSize;
    if (wanted.isValid() && !wanted.isEmpty())
        size = QSize(std::min(size.width(), wanted.width()), std::min(size.height(), wanted.height()));
    QImage image;
    qint64 keptBytes = 0;
    {
        const std::lock_guard lock(m_mutex);
        m_largestAsked = m_largestAsked.expandedTo(size);
        if (m_decodes == Decodes::No)
            return {};
        if (!m_kept.isNull() && m_kept.width() >= size.width() && m_kept.height() >= size.height())
            image = m_kept;
        keptBytes = m_kept.sizeInBytes();
    }
    if (image.isNull()) {
        image = make(size);
        const std::lock_guard lock(m_mutex);
        m_decodes = image.isNull() ? Decodes::No : Decodes::Yes;
        if (image.isNull())
            return {};
        if (m_kept.isNull() || m_kept.width() < image.width() || m_kept.height() < image.height())
            m_kept = image;
        keptBytes = m_kept.sizeInBytes();
    }
    // Outside this picture's lock: the budget may make others forget theirs.
    KeptPixels::shared().used(this, keptBytes);
    return image;
}

bool OnDemandPixels::decodes() const
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_decodes != Decodes::Unknown)
            return m_decodes == Decodes::Yes;
    }
    // An eighth is what a JPEG decodes fastest, yet it reads all the data.
    const QSize small(std::max(1, m_pixelSize.width() / 8), std::max(1, m_pixelSize.height() / 8));
    return !pixels(small).isNull();
}

bool OnDemandPixels::failedToDecode() const
{
    const std::lock_guard lock(m_mutex);
    return m_decodes == Decodes::No;
}

QSize OnDemandPixels::largestAsked() const
{
    const std::lock_guard lock(m_mutex);
    return m_largestAsked;
}

void OnDemandPixels::forget() const
{
    // Safe under the budget's lock: no picture waits for it while holding its own.
    const std::lock_guard lock(m_mutex);
    m_kept = QImage();
}

} // namespace ql
