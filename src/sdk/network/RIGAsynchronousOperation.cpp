#include "sdk/network/RIGAsynchronousOperation.h"

#include "sdk/foundation/Dispatch.h"

namespace qlkit {

void RIGAsynchronousOperation::setObserver(Observer observer)
{
    std::lock_guard lock(m_observerMutex);
    m_observer = std::move(observer);
}

void RIGAsynchronousOperation::notify(const char* key, bool willChange)
{
    Observer observer;
    {
        std::lock_guard lock(m_observerMutex);
        observer = m_observer;
    }
    if (observer)
        observer(key, willChange);
}

void RIGAsynchronousOperation::start()
{
    notify("isExecuting", true);
    m_isExecuting = true;
    notify("isExecuting", false);
    ConcurrentQueue::global()->async([self = shared_from_this()] { self->main(); });
}

void RIGAsynchronousOperation::finish()
{
    notify("isExecuting", true);
    notify("isFinished", true);
    m_isExecuting = false;
    m_isFinished = true;
    notify("isExecuting", false);
    notify("isFinished", false);
}

} // namespace qlkit
