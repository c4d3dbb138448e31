// A small dispatch layer: serial queues, one concurrent pool, groups, timers
// and an injectable "main queue". Delays go through Clock::shared().
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace qlkit {

using Task = std::function<void()>;

class DispatchQueue : public std::enable_shared_from_this<DispatchQueue> {
public:
    explicit DispatchQueue(std::string label) : m_label(std::move(label)) {}
    virtual ~DispatchQueue() = default;

    virtual void async(Task task) = 0;
    // Runs the task on the queue and waits for it. Never call it from the
    // same serial queue: it would wait on itself.
    virtual void sync(const Task& task);
    // Runs the task on the queue `delay` seconds from now (kit clock).
    void after(double delay, Task task);
    const std::string& label() const { return m_label; }

private:
    std::string m_label;
};

// Runs one task at a time, in order, on threads of the shared pool.
class SerialQueue final : public DispatchQueue {
public:
    static std::shared_ptr<SerialQueue> create(std::string label);
    explicit SerialQueue(std::string label) : DispatchQueue(std::move(label)) {}
    void async(Task task) override;
    // Runs the task on the calling thread once the queue is free, still one
    // at a time and in order with the queue's other work: a thread recording
    // its own crash through a queue stays the thread that crashed.
    void sync(const Task& task) override;

private:
    void drain();
    void endCallerTurn();

    std::mutex m_mutex;
    std::deque<Task> m_tasks;
    bool m_draining = false;
};

// Runs tasks side by side on the shared pool.
class ConcurrentQueue final : public DispatchQueue {
public:
    // The process-wide queue of default priority.
    static std::shared_ptr<ConcurrentQueue> global();
    explicit ConcurrentQueue(std::string label) : DispatchQueue(std::move(label)) {}
    void async(Task task) override;
};

// The application's main thread as the kit sees it. By default a serial queue
// of the kit's own; an application with an event loop hands its executor in.
std::shared_ptr<DispatchQueue> mainQueue();
void setMainQueueExecutor(std::function<void(Task)> executor);

// Counts outstanding work; notifies or wakes waiters when it drops to zero.
class DispatchGroup : public std::enable_shared_from_this<DispatchGroup> {
public:
    DispatchGroup();
    static std::shared_ptr<DispatchGroup> create() { return std::make_shared<DispatchGroup>(); }
    void enter();
    void leave();
    void notify(std::shared_ptr<DispatchQueue> queue, Task task);
    // Waits until the count is zero or `timeout` seconds of kit time passed;
    // true when the work finished.
    bool wait(double timeout);
    void wait();

private:
    struct State;
    std::shared_ptr<State> m_state;
    friend struct State;
};

// A delayed or repeating call on a queue; stops when cancelled or destroyed.
class DispatchTimer {
public:
    DispatchTimer(std::shared_ptr<DispatchQueue> queue, double interval, bool repeating, Task task);
    // A repeating timer whose first fire comes after `firstDelay` seconds.
    DispatchTimer(std::shared_ptr<DispatchQueue> queue, double firstDelay, double interval, Task task);
    ~DispatchTimer();
    DispatchTimer(const DispatchTimer&) = delete;
    DispatchTimer& operator=(const DispatchTimer&) = delete;
    void cancel();

private:
    DispatchTimer(std::shared_ptr<DispatchQueue> queue, double firstDelay, double interval, bool repeating, Task task);

    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace qlkit
