#include "sdk/foundation/Clock.h"
#include "sdk/foundation/Dispatch.h"
#include "sdk/foundation/FileOps.h"

#include "SdkTestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace qlkit;

namespace {

struct VirtualTime {
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    VirtualTime() { Clock::setShared(clock); }
    ~VirtualTime() { Clock::setShared(nullptr); }
};

} // namespace

TEST(Dispatch, SerialQueuesRunInOrderAndSyncWaits)
{
    auto queue = SerialQueue::create("test.serial");
    std::vector<int> seen;
    for (int i = 0; i < 500; ++i)
        queue->async([&, i] { seen.push_back(i); });
    queue->sync([] {});
    ASSERT_EQ(seen.size(), 500u);
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(seen[std::size_t(i)], i);

    // Work that blocks on other queues cannot starve the pool.
    std::atomic<int> done {0};
    auto group = DispatchGroup::create();
    for (int i = 0; i < 64; ++i) {
        group->enter();
        ConcurrentQueue::global()->async([&, group] {
            SerialQueue::create("inner")->sync([&] { ++done; });
            group->leave();
        });
    }
    group->wait();
    EXPECT_EQ(done, 64);
}

TEST(Dispatch, WaitsAndTimersRunInVirtualTime)
{
    VirtualTime time;
    auto queue = SerialQueue::create("test.timers");
    auto group = DispatchGroup::create();
    group->enter();
    std::atomic<bool> timedOut {false};
    std::thread waiter([&] { timedOut = !group->wait(600.0); });
    ASSERT_TRUE(time.clock->waitForPending(1, std::chrono::seconds(5)));
    time.clock->advance(599);
    EXPECT_EQ(time.clock->pendingCount(), 1u);
    time.clock->advance(1);
    waiter.join();
    EXPECT_TRUE(timedOut);

    std::atomic<int> ticks {0};
    std::atomic<bool> once {false};
    DispatchTimer repeating(queue, 300, true, [&] { ++ticks; });
    DispatchTimer single(queue, 3000, false, [&] { once = true; });
    for (int i = 0; i < 10; ++i) {
        time.clock->advance(300);
        queue->sync([] {}); // the tick re-arms on the queue
    }
    EXPECT_EQ(ticks, 10);
    EXPECT_TRUE(once);
    repeating.cancel();
    time.clock->advance(900);
    queue->sync([] {});
    EXPECT_EQ(ticks, 10);

    std::atomic<bool> notified {false};
    auto finished = DispatchGroup::create();
    finished->enter();
    finished->notify(queue, [&] { notified = true; });
    finished->leave();
    queue->sync([] {});
    EXPECT_TRUE(notified);
}

TEST(Dispatch, MainQueueRunsOnTheInjectedExecutor)
{
    auto loop = SerialQueue::create("test.loop");
    std::atomic<int> handed {0};
    setMainQueueExecutor([&](Task task) {
        ++handed;
        loop->async(std::move(task));
    });
    std::atomic<bool> ran {false};
    mainQueue()->async([&] { ran = true; });
    loop->sync([] {});
    EXPECT_TRUE(ran);
    EXPECT_EQ(handed, 1);

    // Absurd delays are capped instead of overflowing the clock.
    Clock::shared()->schedule(1e300, [] {});
}

TEST(FileOps, MovesReplaceAndWritesAreAtomic)
{
    test::TempDir dir;
    const auto source = dir.path() / "a";
    const auto target = dir.path() / "b";
    ASSERT_TRUE(files::writeFileAtomically(source, "new"));
    ASSERT_TRUE(files::writeFileAtomically(target, "old"));
    ASSERT_TRUE(files::moveItem(source, target));
    EXPECT_EQ(files::readFile(target), "new");
    EXPECT_FALSE(std::filesystem::exists(source));
    std::string error;
    EXPECT_FALSE(files::moveItem(dir.path() / "missing", target, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(files::writeFileAtomically(dir.path() / "no" / "folder", "x"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1); // no temporary left

    // /dev/shm is another file system: the move copies and removes.
    if (std::filesystem::is_directory("/dev/shm")) {
        const auto shm = std::filesystem::path("/dev/shm") / ("qlkit-move-" + std::to_string(getpid()));
        ASSERT_TRUE(files::writeFileAtomically(shm, "across"));
        ASSERT_TRUE(files::moveItem(shm, target, &error)) << error;
        EXPECT_EQ(files::readFile(target), "across");
        EXPECT_FALSE(std::filesystem::exists(shm));
    }
}
