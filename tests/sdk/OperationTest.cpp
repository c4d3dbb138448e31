#include "sdk/network/RIGNetworkOperation.h"
#include "support/EnvironmentChange.h"

#include <future>
#include <thread>
#include <gtest/gtest.h>

using namespace qlkit;

namespace {

class ProbeOperation : public RIGNetworkOperation {
public:
    using RIGNetworkOperation::RIGNetworkOperation;
    void main() override
    {
        ran.set_value();
        finish();
    }
    std::promise<void> ran;
};

} // namespace

TEST(RIGNetworkOperation, BuildsTheCommonRequest)
{
    using ql::testing::EnvironmentChange;
    const EnvironmentChange language("LANG", "de_AT.UTF-8");
    const EnvironmentChange all("LC_ALL", std::nullopt);
    const EnvironmentChange messages("LC_MESSAGES", std::nullopt);
    const ProbeOperation operation("key-123");
    const URLRequest request = operation.mutableRequestWithDefaultHTTPHeaderFieldsAndTimeoutForURL("https://example.test/x");
    EXPECT_EQ(request.timeoutInterval, 10.0);
    EXPECT_EQ(request.cachePolicy, CachePolicy::ReloadIgnoringLocalCacheData);
    EXPECT_EQ(request.HTTPMethod, "GET");
    EXPECT_EQ(request.allHTTPHeaderFields,
              (HeaderFields {{"User-Agent", "org.quiverleaf.rigging/1.2.8 (20)"},
                             {"Accept-Charset", "utf-8"},
                             {"Accept-Language", "de_AT"},
                             {"Content-Language", "de_AT"},
                             {"X-Halyard-Developer-Token", "f0e1d2c3b4a5968778695a4b3c2d1e0ff0e1d2c3"},
                             {"X-Halyard-API-Client-Id", "org.quiverleaf.rigging"},
                             {"X-Halyard-API-Client-Display-Version", "1.2.8"},
                             {"X-Halyard-API-Client-Build-Version", "20"},
                             {"X-Halyard-API-Key", "key-123"}}));
    const EnvironmentChange plain("LANG", "C");
    EXPECT_EQ(RIGNetworkOperation::localeIdentifier(), "en_US");
}

TEST(RIGNetworkOperation, FinishesWithOrderedChangeNotices)
{
    auto operation = std::make_shared<ProbeOperation>("key");
    std::vector<std::string> notices;
    std::mutex mutex;
    operation->setObserver([&](const std::string& key, bool will) {
        std::lock_guard lock(mutex);
        notices.push_back((will ? "will " : "did ") + key);
    });
    EXPECT_TRUE(operation->isConcurrent());
    operation->cancel(); // a cancelled operation still runs
    auto ran = operation->ran.get_future();
    operation->start();
    ASSERT_EQ(ran.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    for (int i = 0; i < 1000; ++i) {
        std::lock_guard lock(mutex);
        if (notices.size() == 6)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(operation->isFinished());
    EXPECT_FALSE(operation->isExecuting());
    std::lock_guard lock(mutex);
    EXPECT_EQ(notices, (std::vector<std::string> {"will isExecuting", "did isExecuting", "will isExecuting",
                                                  "will isFinished", "did isExecuting", "did isFinished"}));
}
