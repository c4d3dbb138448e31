// An analytics event: a log record whose payload is a JSON object of the
// event's values plus its identifier under "eventId", so that the service
// can tell a resent event from a new one.
#pragma once

#include "crash/Tally/HLYEventLog/HLYEventLogEvent.h"

#include <memory>
#include <string>

namespace qlkit {

class HLYTallyEvent;

class HLYAnalyticsEvent : public HLYEventLogEvent {
public:
    // Nothing when the values are not JSON or the device cannot write JSON.
    static std::unique_ptr<HLYAnalyticsEvent> initWithPriority(std::uint64_t priority, std::uint64_t timestamp,
                                                               const std::string& key,
                                                               const std::string& eventIdentifier,
                                                               const Map& payloadValues = {});
    // A low-priority event carrying the Tally event's key and payload.
    static std::unique_ptr<HLYAnalyticsEvent> initWithTallyEvent(const HLYTallyEvent& event, std::uint64_t timestamp,
                                                                 const std::string& eventIdentifier);

    std::string description() const;
    const std::string& eventIdentifier() const { return m_eventIdentifier; }
    // The values as the caller gave them, without the identifier.
    const Map& stringPayloadValueDict() const { return m_stringPayloadValueDict; }

protected:
    HLYAnalyticsEvent(std::uint64_t priority, std::uint64_t timestamp, const std::string& key, Bytes payload,
                      std::string eventIdentifier, Map payloadValues);
    // The compact JSON of the values with "eventId" set; nothing when they
    // cannot be written.
    static std::optional<Bytes> payloadFor(const Map& payloadValues, const std::string& eventIdentifier);

private:
    std::string m_eventIdentifier;
    Map m_stringPayloadValueDict;
};

} // namespace qlkit
