// Every crash test must leave the process as it found it, so that the suite
// also passes as one process: after each test its signal handlers, the main
// thread's alternate stack, the terminate handler, the capture core, the open
// files and the threads are checked against what they were before it.
#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYSignal.h"
#include "crash/capture/HLYThreadList.h"
#include "sdk/foundation/Clock.h"
#include "sdk/foundation/KitThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <exception>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct ProcessState {
    std::map<int, std::pair<void*, int>> handlers; // signal -> handler, flags
    void* altStack = nullptr;
    int altStackFlags = 0;
    std::terminate_handler terminate = nullptr;
    const void* context = nullptr;
    std::map<int, std::string> files; // descriptor -> what it opens
    // Threads at work: the kit's pool threads count only while they run a
    // task, idle ones wait for the next test.
    std::size_t threads = 0;

    static ProcessState now()
    {
        ProcessState state;
        std::vector<int> signals(std::begin(qlkit::kHLYHandledSignals), std::end(qlkit::kHLYHandledSignals));
        signals.push_back(qlkit::HLYThreadSuspendSignal());
        for (int signal : signals) {
            struct sigaction action {};
            sigaction(signal, nullptr, &action);
            void* handler = (action.sa_flags & SA_SIGINFO) ? reinterpret_cast<void*>(action.sa_sigaction)
                                                           : reinterpret_cast<void*>(action.sa_handler);
            state.handlers[signal] = {handler, action.sa_flags & (SA_SIGINFO | SA_ONSTACK)};
        }
        stack_t stack {};
        sigaltstack(nullptr, &stack);
        state.altStack = (stack.ss_flags & SS_DISABLE) ? nullptr : stack.ss_sp;
        state.altStackFlags = stack.ss_flags & SS_DISABLE;
        state.terminate = std::get_terminate();
        state.context = qlkit::HLYContextShared();
        std::error_code error;
        for (fs::directory_iterator it("/proc/self/fd", error), end; !error && it != end; it.increment(error)) {
            const int fd = std::stoi(it->path().filename().string());
            state.files[fd] = fs::read_symlink(it->path(), error).string();
        }
        for (fs::directory_iterator it("/proc/self/task", error), end; !error && it != end; it.increment(error)) {
            char label[qlkit::kitthread::kLabelCapacity];
            const pid_t tid = pid_t(std::stoi(it->path().filename().string()));
            if (!qlkit::kitthread::copyLabel(tid, label, sizeof label) || label[0])
                ++state.threads;
        }
        return state;
    }
};

std::string describe(const std::map<int, std::string>& files)
{
    std::ostringstream text;
    for (const auto& [fd, target] : files)
        text << ' ' << fd << "=" << target;
    return text.str();
}

class ProcessStateCheck final : public testing::EmptyTestEventListener {
public:
    // The kit's clock and its thread live for the process once asked for.
    void OnTestProgramStart(const testing::UnitTest&) override { qlkit::Clock::shared(); }
    void OnTestStart(const testing::TestInfo&) override { m_before = ProcessState::now(); }

    // Runs before the result is printed, so what it finds fails that test.
    void OnTestEnd(const testing::TestInfo&) override
    {
        // Work a test started may take a moment to wind down.
        ProcessState after = ProcessState::now();
        for (int wait = 0; wait < 250 && !settled(after); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            after = ProcessState::now();
        }
        for (const auto& [signal, handler] : m_before.handlers)
            EXPECT_EQ(after.handlers[signal], handler) << "the handler of signal " << signal << " was left changed";
        EXPECT_EQ(after.altStack, m_before.altStack) << "the alternate signal stack was left changed";
        EXPECT_EQ(after.altStackFlags, m_before.altStackFlags);
        EXPECT_EQ(after.terminate, m_before.terminate) << "the terminate handler was left changed";
        EXPECT_EQ(after.context, m_before.context) << "the capture core was left set up";
        std::map<int, std::string> opened;
        for (const auto& [fd, target] : after.files)
            if (!m_before.files.count(fd))
                opened[fd] = target;
        EXPECT_TRUE(opened.empty()) << "files left open:" << describe(opened);
        EXPECT_LE(after.threads, m_before.threads) << "threads left running";
    }

private:
    bool settled(const ProcessState& after) const
    {
        if (after.threads > m_before.threads)
            return false;
        for (const auto& entry : after.files)
            if (!m_before.files.count(entry.first))
                return false;
        return true;
    }

    ProcessState m_before;
};

// Registered before main runs; the end of a test reaches listeners in reverse
// order, so this one reports before the result printer.
const bool registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new ProcessStateCheck);
    return true;
}();

} // namespace
