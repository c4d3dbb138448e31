#include "canvas/view/PageNumberCopies.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/PageDrawList.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVContentView.h"
#include "platform/runtime/Deferred.h"

namespace ql {

PageNumberCopies::PageNumberCopies(ZVCanvasView& page) : m_page(&page) {}

PageNumberCopies::~PageNumberCopies()
{
    for (auto& [box, entry] : m_entries) {
        for (const QMetaObject::Connection& connection : std::as_const(entry.watches))
            disconnect(connection);
    }
}

ZVPuttyView* PageNumberCopies::copyFor(ZVPuttyView& box)
{
    if (auto found = m_entries.find(&box); found != m_entries.end())
        return found->second.copy.get();
    if (!m_page)
        return nullptr;
    std::unique_ptr<ZVPuttyView> copy = PageDrawList::pageNumberCopy(box, *m_page);
    if (!copy)
        return nullptr;
    Entry& entry = m_entries[&box];
    entry.copy = std::move(copy);
    watch(box, entry);
    return entry.copy.get();
}

void PageNumberCopies::watch(ZVPuttyView& box, Entry& entry)
{
    // Any change of the box, its text or its background shows in the copy;
    // the text's own rewrites do not, each copy writes its own number.
    const ZVPuttyView* key = &box;
    const auto stale = [this, key] { scheduleRefresh(key); };
    entry.watches.append(connect(&box, &KVObject::valueChanged, this, stale));
    if (ZVContentView* content = box.contentView())
        entry.watches.append(connect(content, &KVObject::valueChanged, this, stale));
    if (ZVBackgroundView* background = box.backgroundView())
        entry.watches.append(connect(background, &KVObject::valueChanged, this, stale));
    entry.watches.append(connect(&box, &QObject::destroyed, this, [this, key] { drop(key); }));
}

void PageNumberCopies::scheduleRefresh(const ZVPuttyView* box)
{
    // A change arrives as several announcements; the copy is made once,
    // after the box has taken all of them.
    const bool first = m_stale.isEmpty();
    m_stale.insert(box);
    if (first)
        after(0, this, [this] { refresh(); });
}

void PageNumberCopies::refresh()
{
    const QSet<const ZVPuttyView*> stale = std::exchange(m_stale, {});
    // The old copies live until the page has restacked, so a new copy never
    // takes an old one's address while an item still knows it.
    std::vector<std::unique_ptr<ZVPuttyView>> retired;
    for (const ZVPuttyView* box : stale) {
        const auto found = m_entries.find(box);
        if (found == m_entries.end() || !m_page)
            continue;
        std::unique_ptr<ZVPuttyView> copy = PageDrawList::pageNumberCopy(*box, *m_page);
        if (!copy)
            continue;
        retired.push_back(std::exchange(found->second.copy, std::move(copy)));
    }
    if (!retired.empty())
        emit replaced();
}

void PageNumberCopies::keepOnly(const QSet<const ZVPuttyView*>& boxes)
{
    QList<const ZVPuttyView*> gone;
    for (const auto& [box, entry] : m_entries) {
        if (!boxes.contains(box))
            gone.append(box);
    }
    for (const ZVPuttyView* box : std::as_const(gone))
        drop(box);
}

void PageNumberCopies::drop(const ZVPuttyView* box)
{
    const auto found = m_entries.find(box);
    if (found == m_entries.end())
        return;
    for (const QMetaObject::Connection& connection : std::as_const(found->second.watches))
        disconnect(connection);
    m_stale.remove(box);
    m_entries.erase(found);
}

} // namespace ql
