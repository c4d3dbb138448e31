// The kit's own events about the application: installed, launched, crashed,
// became active or inactive, terminated. Their payload is the identifier alone.
#pragma once

#include "crash/Tally/HLYEventLog/HLYAnalyticsEvent.h"

namespace qlkit {

class HLYAnalyticsApplicationLifecycleEvent final : public HLYAnalyticsEvent {
public:
    using Event = std::unique_ptr<HLYAnalyticsApplicationLifecycleEvent>;

    static Event initApplicationInstalledEventWithTimestamp(std::uint64_t timestamp, const std::string& eventIdentifier);
    static Event initApplicationLaunchedEventWithTimestamp(std::uint64_t timestamp, const std::string& eventIdentifier);
    static Event initApplicationCrashedEventWithTimestamp(std::uint64_t timestamp, const std::string& eventIdentifier);
    // Terminated, became inactive (high priority when the application wants
    // its logs sent as it leaves the foreground) or became active; nothing
    // for any other notification.
    static Event initWithApplicationNotificationName(const std::string& name, std::uint64_t timestamp,
                                                     const std::string& eventIdentifier,
                                                     bool highPriorityEventOnBackground);

private:
    using HLYAnalyticsEvent::HLYAnalyticsEvent;
    static Event make(std::uint64_t priority, std::uint64_t timestamp, const char* key,
                      const std::string& eventIdentifier);
};

} // namespace qlkit
