#include "content/text/LaidOutTexts.h"

#include <QCoreApplication>
#include <QThread>

namespace ql::text {

LaidOutTexts& LaidOutTexts::shared()
{
    static LaidOutTexts texts;
    return texts;
}

LaidOutTexts::~LaidOutTexts()
{
    for (Entry& entry : m_order)
        QObject::disconnect(entry.destroyed);
}

void LaidOutTexts::keep(QObject* owner, qint64 bytes, std::function<void()> release)
{
    if (!owner || !release)
        return;
    // Only the thread the owner lives on may come back to it later.
    if (owner->thread() != QThread::currentThread()) {
        release();
        return;
    }
    bytes = std::max<qint64>(0, bytes);
    // A text larger than the whole budget goes at once, and alone: making
    // room for it would let go of every other first.
    if (bytes > m_maxBytes) {
        if (const auto found = m_index.constFind(owner); found != m_index.cend())
            drop(*found, false);
        release();
        return;
    }
    const auto found = m_index.constFind(owner);
    // Past the ceiling of a live change the newcomer goes, not those kept.
    if (found == m_index.cend() && m_liveChanges > 0 && m_bytes + bytes > limit()) {
        release();
        return;
    }
    if (found != m_index.cend()) {
        const Order::iterator entry = *found;
        m_bytes += bytes - entry->bytes;
        entry->bytes = bytes;
        entry->release = std::move(release);
        m_order.splice(m_order.end(), m_order, entry);
        trim();
        return;
    }
    Entry entry{owner, bytes, std::move(release), {}};
    entry.destroyed = QObject::connect(owner, &QObject::destroyed, [this, owner] {
        if (const auto found = m_index.constFind(owner); found != m_index.cend())
            drop(*found, false);
    });
    m_bytes += entry.bytes;
    m_order.push_back(std::move(entry));
    m_index.insert(owner, std::prev(m_order.end()));
    trim();
}

void LaidOutTexts::setBudget(qint64 bytes)
{
    m_maxBytes = std::max<qint64>(0, bytes);
    trim();
}

void LaidOutTexts::drop(Order::iterator entry, bool release)
{
    QObject::disconnect(entry->destroyed);
    m_bytes -= entry->bytes;
    m_index.remove(entry->owner);
    // Out of the list before it runs: releasing may draw or keep again.
    std::function<void()> released = std::move(entry->release);
    m_order.erase(entry);
    if (release && released)
        released();
}

qint64 LaidOutTexts::limit() const
{
    return m_liveChanges > 0 ? std::max(m_maxBytes, kLiveBytes) : m_maxBytes;
}

void LaidOutTexts::trim()
{
    while (!m_order.empty() && m_bytes > limit())
        drop(m_order.begin(), true);
}

LaidOutTexts::LiveChange::LiveChange(LaidOutTexts& texts) : m_texts(texts)
{
    ++m_texts.m_liveChanges;
}

LaidOutTexts::LiveChange::~LiveChange()
{
    if (--m_texts.m_liveChanges == 0)
        m_texts.trim();
}

} // namespace ql::text
