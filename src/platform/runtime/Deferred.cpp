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
    m_pending.push_back({id, QDateTime::currentMSecsSinceEpoch() + std::max(0, milliseconds),
                         QPointer<QObject>(context), context != nullptr, std::move(call), timer});
    timer->start();
}

void DeferredCalls::run(quint64 id)
{
    auto it = std::find_if(m_pending.begin(), m_pending.end(), [id](const Pending& p) { return p.id == id; });
    if (it == m_pending.end())
        return;
    Pending pending = std::move(*it);
    m_pending.erase(it);
    pending.timer->deleteLater();
    if (pending.hasContext && !pending.context)
        return;
    pending.call();
}

void DeferredCalls::flush()
{
    for (int rounds = 0; rounds < 10000 && !m_pending.empty(); ++rounds) {
        auto earliest = std::min_element(m_pending.begin(), m_pending.end(), [](const Pending& a, const Pending& b) {
            return a.due != b.due ? a.due < b.due : a.id < b.id;
        });
        run(earliest->id);
    }
}

} // namespace ql
