#include "platform/runtime/Deferred.h"

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <algorithm>
#include <limits>
#include <utility>

namespace ql {

namespace {

// How far a flush follows calls scheduled by the calls it runs: deeper than
// any chain the program makes, so that only a call that re-arms itself for
// ever is stopped; as many later calls per call pending when it began.
constexpr int kFlushDepth = 10000;

} // namespace

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
    if (m_flush && m_flush->depth < kFlushDepth && m_flush->laterLeft > 0) {
        m_flush->toRun.emplace(key, m_flush->depth + 1);
        --m_flush->laterLeft;
    }
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
    FlushRound round;
    for (const auto& entry : m_pending)
        round.toRun.emplace_hint(round.toRun.end(), entry.first, 0);
    round.laterLeft = qint64(kFlushDepth) * std::max<qint64>(1, qint64(m_pending.size()));
    FlushRound* const outer = std::exchange(m_flush, &round);
    const auto restore = qScopeGuard([this, outer] { m_flush = outer; });
    while (!round.toRun.empty()) {
        const auto [key, depth] = *round.toRun.begin();
        round.toRun.erase(round.toRun.begin());
        // Gone with its context, or run already by a loop a call opened.
        const auto pending = m_pending.find(key);
        if (pending == m_pending.end())
            continue;
        round.depth = depth;
        run(pending);
    }
    arm();
}

} // namespace ql
