// Calls deferred on the main thread, guarded by a context object: a call
// whose context is gone never runs. Tests flush pending calls at once.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <list>

namespace ql {

class DeferredCalls : public QObject {
    Q_OBJECT
public:
    static DeferredCalls& instance();

    void schedule(int milliseconds, QObject* context, std::function<void()> call);

    int pendingCount() const { return static_cast<int>(m_pending.size()); }
    // Runs every pending call now, earliest first, including calls they
    // schedule in turn (up to a bound, so a call that re-arms itself ends).
    void flush();
    // Forgets every pending call without running it.
    void discardAll();

private:
    struct Pending {
        quint64 id;
        qint64 due;
        QPointer<QObject> context;
        bool hasContext;
        std::function<void()> call;
        QObject* timer;
        QMetaObject::Connection dropped;
    };
    void run(quint64 id);
    void discard(quint64 id);

    std::list<Pending> m_pending;
    quint64 m_nextId = 0;
};

// Runs `call` on the main thread `milliseconds` from now unless `context`
// has been destroyed by then.
inline void after(int milliseconds, QObject* context, std::function<void()> call)
{
    DeferredCalls::instance().schedule(milliseconds, context, std::move(call));
}

} // namespace ql
