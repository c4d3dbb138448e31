#include "sdk/foundation/Clock.h"

#include "sdk/foundation/KitThread.h"

#include <algorithm>
#include <thread>

namespace qlkit {
namespace {

// Never destroyed: timer and pool threads may still ask for the clock while
// the process exits.
std::mutex& sharedMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::shared_ptr<Clock>& sharedSlot()
{
    static auto* clock = new std::shared_ptr<Clock>;
    return *clock;
}

} // namespace

std::shared_ptr<Clock> Clock::shared()
{
    std::lock_guard lock(sharedMutex());
    auto& slot = sharedSlot();
    if (!slot)
        slot = std::make_shared<SystemClock>();
    return slot;
}

void Clock::setShared(std::shared_ptr<Clock> clock)
{
    std::lock_guard lock(sharedMutex());
    sharedSlot() = std::move(clock);
}

SystemClock::SystemClock()
{
    m_thread = std::thread([this] { run(); });
}

SystemClock::~SystemClock()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

double SystemClock::now() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double SystemClock::wallNow() const
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void SystemClock::schedule(double delay, std::function<void()> fn)
{
    // Far-off or nonsensical delays are capped so the time point cannot overflow.
    constexpr double kLongestDelay = 1e9; // about 31 years
    delay = delay >= 0 ? std::min(delay, kLongestDelay) : 0.0;
    const auto when = std::chrono::steady_clock::now()
                      + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(delay));
    {
        std::lock_guard lock(m_mutex);
        m_timers.emplace(when, std::move(fn));
    }
    m_changed.notify_all();
}

void SystemClock::run()
{
    const KitThreadScope kitThread;
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_timers.empty()) {
            m_changed.wait(lock);
            continue;
        }
        auto first = m_timers.begin();
        if (first->first > std::chrono::steady_clock::now()) {
            m_changed.wait_until(lock, first->first);
            continue;
        }
        auto fn = std::move(first->second);
        m_timers.erase(first);
        lock.unlock();
        fn();
        lock.lock();
    }
}

VirtualClock::VirtualClock(double wallStart) : m_wallStart(wallStart) {}

double VirtualClock::now() const
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

double VirtualClock::wallNow() const
{
    std::lock_guard lock(m_mutex);
    return m_wallStart + m_now;
}

void VirtualClock::schedule(double delay, std::function<void()> fn)
{
    {
        std::lock_guard lock(m_mutex);
        delay = std::max(0.0, delay);
        m_delays.push_back(delay);
        m_timers.push_back({m_now + delay, m_sequence++, std::move(fn)});
    }
    m_changed.notify_all();
}

bool VirtualClock::runNextDue(double limit)
{
    std::function<void()> fn;
    {
        std::lock_guard lock(m_mutex);
        auto next = std::min_element(m_timers.begin(), m_timers.end(), [](const Timer& a, const Timer& b) {
            return a.deadline != b.deadline ? a.deadline < b.deadline : a.sequence < b.sequence;
        });
        if (next == m_timers.end() || next->deadline > limit)
            return false;
        m_now = std::max(m_now, next->deadline);
        fn = std::move(next->fn);
        m_timers.erase(next);
    }
    fn();
    return true;
}

void VirtualClock::advance(double seconds)
{
    const double target = now() + seconds;
    while (runNextDue(target)) {
    }
    std::lock_guard lock(m_mutex);
    m_now = std::max(m_now, target);
}

double VirtualClock::advanceToNext()
{
    const double before = now();
    if (!runNextDue(1e300))
        return -1;
    return now() - before;
}

std::size_t VirtualClock::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return m_timers.size();
}

bool VirtualClock::waitForPending(std::size_t count, std::chrono::milliseconds realTimeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, realTimeout, [&] { return m_timers.size() >= count; });
}

std::vector<double> VirtualClock::requestedDelays() const
{
    std::lock_guard lock(m_mutex);
    return m_delays;
}

} // namespace qlkit
