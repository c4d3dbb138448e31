#include "sdk/foundation/Dispatch.h"

#include "sdk/foundation/Clock.h"
#include "sdk/foundation/KitThread.h"

#include <atomic>
#include <condition_variable>
#include <future>
#include <thread>

namespace qlkit {
namespace {

// Threads are added while work waits and no thread is idle, so that a task
// that blocks on another queue can never starve the pool.
class WorkerPool {
public:
    void submit(Task task)
    {
        std::unique_lock lock(m_mutex);
        m_tasks.push_back(std::move(task));
        if (m_tasks.size() > m_idle && m_threads < kMaxThreads) {
            ++m_threads;
            std::thread([this] { work(); }).detach();
        } else {
            m_available.notify_one();
        }
    }

private:
    static constexpr std::size_t kMaxThreads = 256;

    void work()
    {
        const KitThreadScope kitThread;
        std::unique_lock lock(m_mutex);
        for (;;) {
            ++m_idle;
            m_available.wait(lock, [this] { return !m_tasks.empty(); });
            --m_idle;
            Task task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            task = nullptr;
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_available;
    std::deque<Task> m_tasks;
    std::size_t m_idle = 0;
    std::size_t m_threads = 0;
};

WorkerPool& pool()
{
    // Never destroyed: detached workers may still wait on it at exit.
    static WorkerPool* instance = new WorkerPool;
    return *instance;
}

class ExecutorQueue final : public DispatchQueue {
public:
    explicit ExecutorQueue(std::function<void(Task)> executor)
        : DispatchQueue("main"), m_executor(std::move(executor)) {}
    void async(Task task) override { m_executor(std::move(task)); }

private:
    std::function<void(Task)> m_executor;
};

struct MainSlot {
    std::mutex mutex;
    std::shared_ptr<DispatchQueue> queue;
};

MainSlot& mainSlot()
{
    static auto* slot = new MainSlot; // outlives the threads that use it
    return *slot;
}

} // namespace

void DispatchQueue::sync(const Task& task)
{
    std::promise<void> done;
    async([&] {
        task();
        done.set_value();
    });
    done.get_future().wait();
}

void DispatchQueue::after(double delay, Task task)
{
    Clock::shared()->schedule(delay, [queue = shared_from_this(), task = std::move(task)]() mutable {
        queue->async(std::move(task));
    });
}

std::shared_ptr<SerialQueue> SerialQueue::create(std::string label)
{
    return std::make_shared<SerialQueue>(std::move(label));
}

void SerialQueue::async(Task task)
{
    std::lock_guard lock(m_mutex);
    m_tasks.push_back(std::move(task));
    if (!m_draining) {
        m_draining = true;
        auto self = std::static_pointer_cast<SerialQueue>(shared_from_this());
        pool().submit([self] { self->drain(); });
    }
}

void SerialQueue::sync(const Task& task)
{
    bool queueWasFree = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_draining) {
            m_draining = true; // the caller takes the queue's turn
            queueWasFree = true;
        }
    }
    if (!queueWasFree) {
        // Wait in line: the queue's own thread hands the turn over and holds
        // still until the task has run here.
        std::promise<void> turn;
        std::promise<void> finished;
        auto finishedFuture = finished.get_future().share();
        async([&turn, finishedFuture] {
            turn.set_value();
            finishedFuture.wait();
        });
        turn.get_future().wait();
        struct Finish {
            std::promise<void>& finished;
            ~Finish() { finished.set_value(); }
        } finish {finished};
        task();
        return;
    }
    struct EndTurn {
        SerialQueue* queue;
        ~EndTurn() { queue->endCallerTurn(); }
    } endTurn {this};
    task();
}

void SerialQueue::endCallerTurn()
{
    std::lock_guard lock(m_mutex);
    if (m_tasks.empty()) {
        m_draining = false;
        return;
    }
    auto self = std::static_pointer_cast<SerialQueue>(shared_from_this());
    pool().submit([self] { self->drain(); });
}

void SerialQueue::drain()
{
    kitthread::setCurrentLabel(label().c_str());
    for (;;) {
        Task task;
        {
            std::lock_guard lock(m_mutex);
            if (m_tasks.empty()) {
                m_draining = false;
                kitthread::setCurrentLabel(nullptr);
                return;
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

std::shared_ptr<ConcurrentQueue> ConcurrentQueue::global()
{
    static auto* queue = new std::shared_ptr<ConcurrentQueue>(std::make_shared<ConcurrentQueue>("global.default"));
    return *queue;
}

void ConcurrentQueue::async(Task task)
{
    pool().submit([label = label(), task = std::move(task)] {
        kitthread::setCurrentLabel(label.c_str());
        task();
        kitthread::setCurrentLabel(nullptr);
    });
}

std::shared_ptr<DispatchQueue> mainQueue()
{
    std::lock_guard lock(mainSlot().mutex);
    if (!mainSlot().queue)
        mainSlot().queue = SerialQueue::create("main");
    return mainSlot().queue;
}

void setMainQueueExecutor(std::function<void(Task)> executor)
{
    std::lock_guard lock(mainSlot().mutex);
    mainSlot().queue = std::make_shared<ExecutorQueue>(std::move(executor));
}

struct DispatchGroup::State {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
    std::vector<std::pair<std::shared_ptr<DispatchQueue>, Task>> waiters;
};

DispatchGroup::DispatchGroup() : m_state(std::make_shared<State>()) {}

void DispatchGroup::enter()
{
    std::lock_guard lock(m_state->mutex);
    ++m_state->count;
}

void DispatchGroup::leave()
{
    std::vector<std::pair<std::shared_ptr<DispatchQueue>, Task>> ready;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->count > 0 && --m_state->count == 0)
            ready.swap(m_state->waiters);
    }
    m_state->changed.notify_all();
    for (auto& [queue, task] : ready)
        queue->async(std::move(task));
}

void DispatchGroup::notify(std::shared_ptr<DispatchQueue> queue, Task task)
{
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->count > 0) {
            m_state->waiters.emplace_back(std::move(queue), std::move(task));
            return;
        }
    }
    queue->async(std::move(task));
}

bool DispatchGroup::wait(double timeout)
{
    auto expired = std::make_shared<std::atomic<bool>>(false);
    Clock::shared()->schedule(timeout, [state = m_state, expired] {
        {
            std::lock_guard lock(state->mutex);
            expired->store(true);
        }
        state->changed.notify_all();
    });
    std::unique_lock lock(m_state->mutex);
    m_state->changed.wait(lock, [&] { return m_state->count == 0 || expired->load(); });
    return m_state->count == 0;
}

void DispatchGroup::wait()
{
    std::unique_lock lock(m_state->mutex);
    m_state->changed.wait(lock, [&] { return m_state->count == 0; });
}

struct DispatchTimer::State : std::enable_shared_from_this<DispatchTimer::State> {
    std::shared_ptr<DispatchQueue> queue;
    double interval = 0;
    bool repeating = false;
    Task task;
    std::atomic<bool> cancelled {false};

    void arm(double delay)
    {
        Clock::shared()->schedule(delay, [weak = weak_from_this()] {
            auto self = weak.lock();
            if (!self || self->cancelled)
                return;
            self->queue->async([self] {
                if (self->cancelled)
                    return;
                self->task();
                if (self->repeating && !self->cancelled)
                    self->arm(self->interval);
            });
        });
    }
};

DispatchTimer::DispatchTimer(std::shared_ptr<DispatchQueue> queue, double interval, bool repeating, Task task)
    : DispatchTimer(std::move(queue), interval, interval, repeating, std::move(task))
{
}

DispatchTimer::DispatchTimer(std::shared_ptr<DispatchQueue> queue, double firstDelay, double interval, Task task)
    : DispatchTimer(std::move(queue), firstDelay, interval, true, std::move(task))
{
}

DispatchTimer::DispatchTimer(std::shared_ptr<DispatchQueue> queue, double firstDelay, double interval, bool repeating,
                             Task task)
    : m_state(std::make_shared<State>())
{
    m_state->queue = std::move(queue);
    m_state->interval = interval;
    m_state->repeating = repeating;
    m_state->task = std::move(task);
    m_state->arm(firstDelay);
}

DispatchTimer::~DispatchTimer() { cancel(); }

void DispatchTimer::cancel() { m_state->cancelled = true; }

} // namespace qlkit
