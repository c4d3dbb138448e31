#include "crash/Tally/HLYEventLog/HLYAnalyticsApplicationLifecycleEvent.h"

#include "crash/kit/HLYApplication.h"

namespace qlkit {

HLYAnalyticsApplicationLifecycleEvent::Event
HLYAnalyticsApplicationLifecycleEvent::make(std::uint64_t priority, std::uint64_t timestamp, const char* key,
                                            const std::string& eventIdentifier)
{
    auto payload = payloadFor({}, eventIdentifier);
    if (!payload)
        return nullptr;
    return Event(new HLYAnalyticsApplicationLifecycleEvent(priority, timestamp, key, std::move(*payload),
                                                           eventIdentifier, {}));
}

HLYAnalyticsApplicationLifecycleEvent::Event
HLYAnalyticsApplicationLifecycleEvent::initApplicationInstalledEventWithTimestamp(std::uint64_t timestamp,
                                                                                  const std::string& eventIdentifier)
{
    return make(0, timestamp, "app_installed", eventIdentifier);
}

HLYAnalyticsApplicationLifecycleEvent::Event
HLYAnalyticsApplicationLifecycleEvent::initApplicationLaunchedEventWithTimestamp(std::uint64_t timestamp,
                                                                                 const std::string& eventIdentifier)
{
    return make(1, timestamp, "app_launched", eventIdentifier);
}

HLYAnalyticsApplicationLifecycleEvent::Event
HLYAnalyticsApplicationLifecycleEvent::initApplicationCrashedEventWithTimestamp(std::uint64_t timestamp,
                                                                                const std::string& eventIdentifier)
{
    return make(1, timestamp, "app_crashed", eventIdentifier);
}

HLYAnalyticsApplicationLifecycleEvent::Event HLYAnalyticsApplicationLifecycleEvent::initWithApplicationNotificationName(
    const std::string& name, std::uint64_t timestamp, const std::string& eventIdentifier,
    bool highPriorityEventOnBackground)
{
    if (name == kHLYApplicationWillTerminateNotification)
        return make(1, timestamp, "app_terminated", eventIdentifier);
    if (name == kHLYApplicationWillResignActiveNotification)
        return make(highPriorityEventOnBackground ? 0 : 1, timestamp, "app_became_inactive", eventIdentifier);
    if (name == kHLYApplicationDidBecomeActiveNotification)
        return make(0, timestamp, "app_became_active", eventIdentifier);
    return nullptr;
}

} // namespace qlkit
