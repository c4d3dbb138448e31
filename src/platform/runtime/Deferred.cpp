#include "platform/runtime/Deferred.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <limits>

namespace ql {

DeferredCalls& DeferredCalls::instance()
{
    static DeferredCalls calls;
    return calls;
}

DeferredCalls::DeferredCalls()
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire early, before the call it was armed for is due.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &DeferredCalls::runDue);
}

qint64 DeferredCalls::now()
{
    return QDeadlineTimer::current().deadline();
}

void DeferredCalls::schedule(int milliseconds, QObject* context, std::function<void()> call)
{
    const Key key {now() + std::max(0, milliseconds), ++m_nextId};
    // A call whose context is gone can never run: it goes at once, so that
    // the calls of closed documents neither pile up nor count in a flush.
    QMetaObject::Connection dropped;
    if (context)
        dropped = connect(context, &QObject::destroyed, this, [this, key] { discard(key); });
    m_pending.emplace(key, Pending {QPointer<QObject>(context), context != nullptr, std::move(call), dropped});
    if (m_pending.begin()->first == key)
        arm();
}

void DeferredCalls::arm()
{
    if (m_pending.empty()) {
        m_timer.stop();
        return;
    }
    const qint64 wait = m_pending.begin()->first.first - now();
    m_timer.start(int(std::clamp<qint64>(wait, 0, std::numeric_limits<int>::max())));
}

void DeferredCalls::discard(Key key)
{
    m_pending.erase(key);
}

void DeferredCalls::run(std::map<Key, Pending>::iterator it)
{
    Pending pending = std::move(it->second);
    m_pending.erase(it);
    disconnect(pending.dropped);
    // The timer stays armed for the rest while this call runs: one that
    // opens a modal loop lets later calls run in it.
    arm();
    if (pending.hasContext && !pending.context)
        return;
    pending.call();
}

void DeferredCalls::runDue()
{
    // Calls scheduled from here on wait for the next turn of the event loop,
    // as they would for a timer of their own.
    const quint64 lastPending = m_nextId;
    const qint64 at = now();
    while (!m_pending.empty()) {
        const auto first = m_pending.begin();
        if (first->first.first > at || first->first.second > lastPending)
            break;
        run(first);
    }
    arm();
}

void DeferredCalls::discardAll()
{
    for (auto& [key, pending] : m_pending)
        disconnect(pending.dropped);
    m_pending.clear();
    m_timer.stop();
}

void DeferredCalls::flush()
{
    // Every call pending now runs, however many; the calls they schedule in
    // turn run up to a bound, so that a call that re-arms itself ends.
    constexpr int kLaterCalls = 10000;
    const quint64 lastPending = m_nextId;
    int later = 0;
    for (;;) {
        auto next = m_pending.begin();
        if (later >= kLaterCalls) {
            next = std::find_if(next, m_pending.end(), [lastPending](const auto& entry) {
                return entry.first.second <= lastPending;
            });
        }
        if (next == m_pending.end())
            break;
        if (next->first.second > lastPending)
            ++later;
        run(next);
    }
    arm();
}

} // namespace ql
