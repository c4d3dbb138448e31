// Every wait of the kit (retry delays, timers, timed group waits) goes through
// one injectable clock, so that tests can run waits of minutes in virtual time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qlkit {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic seconds, for delays.
    virtual double now() const = 0;
    // Seconds since 1970 UTC, for dates in headers and records.
    virtual double wallNow() const = 0;
    // Runs fn once, `delay` seconds from now, on a thread of the clock's.
    // fn must be short: it usually hands work to a queue.
    virtual void schedule(double delay, std::function<void()> fn) = 0;

    static std::shared_ptr<Clock> shared();
    static void setShared(std::shared_ptr<Clock> clock);
};

// Real time: one timer thread serves every scheduled call.
class SystemClock final : public Clock {
public:
    SystemClock();
    ~SystemClock() override;
    double now() const override;
    double wallNow() const override;
    void schedule(double delay, std::function<void()> fn) override;

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> m_timers;
    bool m_stopping = false;
    std::thread m_thread;
};

// Time that moves only when a test moves it. Scheduled calls run on the
// thread that advances the clock.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(double wallStart = 1.7e9);
    double now() const override;
    double wallNow() const override;
    void schedule(double delay, std::function<void()> fn) override;

    // Moves time forward by `seconds`, running every call that falls due, in order.
    void advance(double seconds);
    // Jumps to the earliest pending call and runs it; returns how far time moved,
    // or a negative number when nothing is pending.
    double advanceToNext();
    std::size_t pendingCount() const;
    // Waits in real time until at least `count` calls are pending.
    bool waitForPending(std::size_t count, std::chrono::milliseconds realTimeout) const;
    // Every delay that was asked for, in the order of the requests.
    std::vector<double> requestedDelays() const;

private:
    struct Timer {
        double deadline;
        std::uint64_t sequence;
        std::function<void()> fn;
    };
    bool runNextDue(double limit);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    double m_now = 0;
    double m_wallStart;
    std::uint64_t m_sequence = 0;
    std::vector<Timer> m_timers;
    std::vector<double> m_delays;
};

} // namespace qlkit
