#include "platform/runtime/UninterruptedWrite.h"

#include <atomic>
#include <mutex>

#include <cerrno>
#include <csignal>

namespace ql {

namespace {

constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Lock-free, so that the handler may touch them.
std::atomic<int> writes {0};
std::atomic<int> endingSignal {0};

// Ends the program as the signal would have without the handler.
void endBy(int signal)
{
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    // Within the handler the signal waits until it returns, then ends it.
    ::raise(signal);
}

void onEndingSignal(int signal)
{
    const int saved = errno;
    // Noted before looking, so that a write ending meanwhile sees it.
    endingSignal.store(signal);
    if (writes.load() == 0)
        endBy(signal);
    errno = saved;
}

void takeEndingSignals()
{
    for (const int signal : kEndingSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0
            || current.sa_handler != SIG_DFL)
            continue;
        struct sigaction action {};
        action.sa_handler = onEndingSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

UninterruptedWrite::UninterruptedWrite()
{
    static std::once_flag taken;
    std::call_once(taken, takeEndingSignals);
    writes.fetch_add(1);
}

UninterruptedWrite::~UninterruptedWrite()
{
    if (writes.fetch_sub(1) == 1)
        if (const int signal = endingSignal.load())
            endBy(signal);
}

} // namespace ql
