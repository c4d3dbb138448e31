#include "platform/runtime/Deferred.h"

#include <QDateTime>
#include <algorithm>
#include <QTimer>

namespace ql {

DeferredCalls& DeferredCalls::instance()
{
    static DeferredCalls calls;
    return calls;
}

void DeferredCalls::schedule(int milliseconds, QObject* context, std::function<void()> call)
{
    const quint64 id = ++m_nextId;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(std::max(0, milliseconds));
    connect(timer, &QTimer::timeout, this, [this, id] { run(id); });
    // A call whose context is gone can never run: it goes at once, so that
    // the calls of closed documents neither pile up nor count in a flush.
    QMetaObject::Connection dropped;
    if (context)
        dropped = connect(context, &QObject::destroyed, this, [this, id] { discard(id); });
    m_pending.push_back({id, QDateTime::currentMSecsSinceEpoch() + std::max(0, milliseconds),
                         QPointer<QObject>(context), context != nullptr, std::move(call), timer, dropped});
    timer->start();
}

void DeferredCalls::discard(quint64 id)
{
    auto it = std::find_if(m_pending.begin(), m_pending.end(), [id](const Pending& p) { return p.id == id; });
    if (it == m_pending.end())
        return;
    it->timer->deleteLater();
    m_pending.erase(it);
}

void DeferredCalls::run(quint64 id)
{
    auto it = std::find_if(m_pending.begin(), m_pending.end(), [id](const Pending& p) { return p.id == id; });
    if (it == m_pending.end())
        return;
    Pending pending = std::move(*it);
    m_pending.erase(it);
    pending.timer->deleteLater();
    disconnect(pending.dropped);
    if (pending.hasContext && !pending.context)
        return;
    pending.call();
}

void DeferredCalls::discardAll()
{
    while (!m_pending.empty())
        discard(m_pending.front().id);
}

void DeferredCalls::flush()
{
    // Every call pending now runs, however many; the calls they schedule in
    // turn run up to a bound, so that a call that re-arms itself ends.
    constexpr int kLaterCalls = 10000;
    const quint64 lastPending = m_nextId;
    int later = 0;
    for (;;) {
        const bool laterMayRun = later < kLaterCalls;
        auto earliest = m_pending.end();
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
            if (!laterMayRun && it->id > lastPending)
                continue;
            if (earliest == m_pending.end() || std::pair(it->due, it->id) < std::pair(earliest->due, earliest->id))
                earliest = it;
        }
        if (earliest == m_pending.end())
            return;
        if (earliest->id > lastPending)
            ++later;
        run(earliest->id);
    }
}

} // namespace ql
