// Analytics records: the JSON payload with its identifier, the kit's
// lifecycle events and the metadata every log opens with.
#include "SdkTestSupport.h"

#include "crash/Tally/HLYAnalyticsMetadataController.h"
#include "crash/Tally/HLYEventLog/HLYAnalyticsApplicationLifecycleEvent.h"
#include "crash/Tally/HLYEventLog/HLYAnalyticsMetadataEvent.h"
#include "crash/Tally/HLYTallyEvents.h"
#include "crash/kit/HLYApplication.h"
#include "sdk/foundation/Json.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace qlkit;

namespace {

const std::string kIdentifier = "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0";

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<std::string> keysOf(const Map& map)
{
    std::vector<std::string> keys;
    for (const auto& [key, value] : map)
        keys.push_back(key);
    return keys;
}

} // namespace

TEST(AnalyticsEvent, PayloadIsTheValuesWithTheEventIdentifier)
{
    const auto event = HLYAnalyticsEvent::initWithPriority(1, 1700000000123, "custom", kIdentifier,
                                                           Map {{"eventId", "caller's"}, {"size", 3}});
    ASSERT_TRUE(event);
    const auto payload = json::parse(text(*event->payload())).value;
    ASSERT_TRUE(payload);
    EXPECT_EQ(*payload, Value(Map {{"eventId", kIdentifier}, {"size", 3}}));
    EXPECT_EQ(event->stringPayloadValueDict(), (Map {{"eventId", "caller's"}, {"size", 3}}));
    // Values JSON cannot carry make no event at all.
    EXPECT_FALSE(HLYAnalyticsEvent::initWithPriority(2, 1, "custom", kIdentifier, Map {{"when", Date {1.0}}}));
    EXPECT_FALSE(HLYAnalyticsEvent::initWithPriority(2, 1, "custom", kIdentifier, Map {{"x", std::nan("")}}));

    const HLYTallyLoginEvent login(std::string("email"), true, std::nullopt);
    const auto tally = HLYAnalyticsEvent::initWithTallyEvent(login, 5, kIdentifier);
    EXPECT_EQ(tally->priority(), 2u);
    EXPECT_EQ(tally->key(), "predefined");
    EXPECT_EQ(text(*tally->payload()), R"({"predefined_type":"login","predefined_attributes":{"success":"true","method":"email"},"eventId":")"
                                           + kIdentifier + "\"}");
}

TEST(AnalyticsEvent, LifecycleEventsCarryOnlyTheirIdentifier)
{
    const auto launched = HLYAnalyticsApplicationLifecycleEvent::initApplicationLaunchedEventWithTimestamp(1700000000123, kIdentifier);
    EXPECT_EQ(text(launched->eventData()), "1700000000123\tapp_launched\t50\t{\"eventId\":\"" + kIdentifier + "\"}\n");

    struct Case {
        HLYAnalyticsApplicationLifecycleEvent::Event event;
        const char* key;
        std::uint64_t priority;
    };
    auto fromNotification = [](const char* name, bool flush) {
        return HLYAnalyticsApplicationLifecycleEvent::initWithApplicationNotificationName(name, 1, kIdentifier, flush);
    };
    Case cases[] = {
        {HLYAnalyticsApplicationLifecycleEvent::initApplicationInstalledEventWithTimestamp(1, kIdentifier), "app_installed", 0},
        {HLYAnalyticsApplicationLifecycleEvent::initApplicationCrashedEventWithTimestamp(1, kIdentifier), "app_crashed", 1},
        {fromNotification(kHLYApplicationWillTerminateNotification, true), "app_terminated", 1},
        {fromNotification(kHLYApplicationWillResignActiveNotification, false), "app_became_inactive", 1},
        {fromNotification(kHLYApplicationWillResignActiveNotification, true), "app_became_inactive", 0},
        {fromNotification(kHLYApplicationDidBecomeActiveNotification, false), "app_became_active", 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.event) << c.key;
        EXPECT_EQ(c.event->key(), c.key);
        EXPECT_EQ(c.event->priority(), c.priority) << c.key;
    }
    EXPECT_FALSE(fromNotification(kHLYApplicationWillBecomeActiveNotification, true));
    EXPECT_EQ(HLYAnalyticsMetadataEvent(2, 7, std::nullopt).key(), "metadata");
}

TEST(AnalyticsMetadata, TwentyEntriesInOrderWithTheSessionSecond)
{
    const test::KitHome home; // the kit's core keeps its identifiers there
    const Map metadata = HLYAnalyticsMetadataController::metadataWithTimeStamp(1700000000999, std::nullopt, std::nullopt);
    std::vector<std::string> expected {"generator", "links_ad_support", "advertising_tracking_enabled", "api_key",
                                       "session_id", "started_at", "install_id", "model", "machine", "locale",
                                       "os_build", "os_version", "platform", "platform_code", "cores", "jailbroken",
                                       "bundle_id", "bundle_version", "bundle_short_version", "instance_id"};
    // Without a model the machine has neither entry; without an Info
    // dictionary there is no bundle and no API key either.
    std::erase_if(expected, [&](const std::string& key) { return !metadata.contains(key); });
    EXPECT_EQ(keysOf(metadata), expected);
    EXPECT_EQ(*metadata.find("started_at"), Value(1700000000));
    EXPECT_EQ(*metadata.find("generator"), Value("Halyard Mac SDK/3.0.11"));
    EXPECT_EQ(*metadata.find("platform"), Value("linux"));
    EXPECT_EQ(*metadata.find("jailbroken"), Value(false));
    EXPECT_EQ(metadata.contains("model"), metadata.contains("machine"));

    EXPECT_EQ(HLYAnalyticsMetadataController::unwrapBetaToken(std::string("2:abc")), "abc");
    for (const char* refused : {"3:abc", "2:a:b", "2abc"})
        EXPECT_EQ(HLYAnalyticsMetadataController::unwrapBetaToken(std::string(refused)), std::nullopt) << refused;
    const Map withToken = HLYAnalyticsMetadataController::metadataWithTimeStamp(0, std::string("2:tok"), std::nullopt);
    EXPECT_EQ(*withToken.find("beta_tester_token"), Value("tok"));
}
