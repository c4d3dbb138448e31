// An operation that finishes when its work says so, not when main() returns.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace qlkit {

class RIGAsynchronousOperation : public std::enable_shared_from_this<RIGAsynchronousOperation> {
public:
    virtual ~RIGAsynchronousOperation() = default;

    bool isConcurrent() const { return true; }
    // Runs main() on the global queue. A cancelled operation still runs.
    void start();
    virtual void main() = 0;
    // Called by the subclass, on any thread, when its work is done.
    void finish();
    virtual void cancel() { m_cancelled = true; }

    bool isExecuting() const { return m_isExecuting; }
    bool isFinished() const { return m_isFinished; }
    bool isCancelled() const { return m_cancelled; }

    // Change notices for "isExecuting" and "isFinished": (key, true) before a
    // change, (key, false) after it.
    using Observer = std::function<void(const std::string& key, bool willChange)>;
    void setObserver(Observer observer);

private:
    void notify(const char* key, bool willChange);

    std::atomic<bool> m_isExecuting {false};
    std::atomic<bool> m_isFinished {false};
    std::atomic<bool> m_cancelled {false};
    std::mutex m_observerMutex;
    Observer m_observer;
};

} // namespace qlkit
