// The kit's threads as the crash reporter sees them: alternate signal stacks,
// queue labels readable by thread id, and serial-queue sync calls that run on
// the caller's thread.
#include "sdk/foundation/Dispatch.h"
#include "sdk/foundation/KitThread.h"

#include <atomic>
#include <csignal>
#include <future>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace qlkit;

TEST(KitThread, PoolThreadsHaveAlternateStacksAndTellTheirQueuesLabel)
{
    auto queue = SerialQueue::create("org.quiverleaf.test.labels");
    stack_t stack {};
    pid_t worker = 0;
    char label[kitthread::kLabelCapacity] = {};
    bool known = false;
    queue->async([&] {
        sigaltstack(nullptr, &stack);
        worker = gettid();
        known = kitthread::copyLabel(worker, label, sizeof label);
    });
    queue->sync([] {});
    EXPECT_FALSE(stack.ss_flags & SS_DISABLE);
    EXPECT_EQ(stack.ss_size, KitThreadScope::kAlternateStackSize);
    EXPECT_TRUE(known);
    EXPECT_STREQ(label, "org.quiverleaf.test.labels");

    std::promise<void> done;
    ConcurrentQueue::global()->async([&] {
        known = kitthread::copyLabel(gettid(), label, sizeof label);
        done.set_value();
    });
    done.get_future().wait();
    EXPECT_TRUE(known);
    EXPECT_STREQ(label, "global.default");

    // A thread the kit did not start is not in the table; a short buffer
    // still gets a terminated prefix.
    EXPECT_FALSE(kitthread::copyLabel(gettid(), label, sizeof label));
    char small[4];
    queue->sync([] {});
    queue->async([&] { known = kitthread::copyLabel(gettid(), small, sizeof small); });
    queue->sync([] {});
    EXPECT_TRUE(known);
    EXPECT_STREQ(small, "org");
}

TEST(KitThread, SerialSyncRunsOnTheCallingThreadInTurn)
{
    auto queue = SerialQueue::create("org.quiverleaf.test.sync");
    std::thread::id ranOn;
    queue->sync([&] { ranOn = std::this_thread::get_id(); });
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    // A busy queue finishes its earlier work first; the caller's task still
    // runs on the caller and later work waits for it.
    std::promise<void> release;
    auto released = release.get_future().share();
    std::vector<int> order;
    queue->async([&, released] {
        released.wait();
        order.push_back(1);
    });
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        release.set_value();
    });
    queue->sync([&] {
        order.push_back(2);
        ranOn = std::this_thread::get_id();
        queue->async([&] { order.push_back(3); });
    });
    releaser.join();
    queue->sync([] {});
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(order, (std::vector<int> {1, 2, 3}));
}
