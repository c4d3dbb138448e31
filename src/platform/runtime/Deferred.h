// Calls deferred on the main thread, guarded by a context object: a call
// whose context is gone never runs. Tests flush pending calls at once.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <utility>

namespace ql {

class DeferredCalls : public QObject {
    Q_OBJECT
public:
    static DeferredCalls& instance();

    void schedule(int milliseconds, QObject* context, std::function<void()> call);

    int pendingCount() const { return static_cast<int>(m_pending.size()); }
    // Runs every pending call now, earliest first, including the calls they
    // schedule in turn, and theirs, up to a depth (so that a call that
    // re-arms itself ends) and a number per call pending at the start (so
    // that calls that each schedule several end too).
    void flush();
    // Forgets every pending call without running it.
    void discardAll();

private:
    DeferredCalls();
    // Calls run by due time, then in the order they were scheduled.
    using Key = std::pair<qint64, quint64>;
    struct Pending {
        QPointer<QObject> context;
        bool hasContext;
        std::function<void()> call;
        QMetaObject::Connection dropped;
    };
    static qint64 now();
    void run(std::map<Key, Pending>::iterator it);
    void discard(Key key);
    void runDue();
    void arm();

    // What a flush has still to run: each call with how many schedulings
    // lie between it and a call pending when the flush began.
    struct FlushRound {
        std::map<Key, int> toRun;
        int depth = 0;
        qint64 laterLeft = 0;
    };

    // One queue behind one timer, armed for the earliest call: thousands of
    // pending calls cost no more than one each.
    std::map<Key, Pending> m_pending;
    QTimer m_timer;
    quint64 m_nextId = 0;
    FlushRound* m_flush = nullptr;
};

// Runs `call` on the main thread `milliseconds` from now unless `context`
// has been destroyed by then.
inline void after(int milliseconds, QObject* context, std::function<void()> call)
{
    DeferredCalls::instance().schedule(milliseconds, context, std::move(call));
}

} // namespace ql
