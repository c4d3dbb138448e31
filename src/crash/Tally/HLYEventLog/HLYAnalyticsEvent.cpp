#include "crash/Tally/HLYEventLog/HLYAnalyticsEvent.h"

#include "crash/Tally/HLYAnalyticsController.h"
#include "crash/Tally/HLYTallyEvent.h"
#include "sdk/foundation/Json.h"
#include "sdk/foundation/Log.h"

namespace qlkit {

HLYAnalyticsEvent::HLYAnalyticsEvent(std::uint64_t priority, std::uint64_t timestamp, const std::string& key,
                                     Bytes payload, std::string eventIdentifier, Map payloadValues)
    : HLYEventLogEvent(priority, timestamp, key, std::move(payload))
    , m_eventIdentifier(std::move(eventIdentifier))
    , m_stringPayloadValueDict(std::move(payloadValues))
{
}

std::optional<Bytes> HLYAnalyticsEvent::payloadFor(const Map& payloadValues, const std::string& eventIdentifier)
{
    if (!HLYAnalyticsController::deviceMeetsMinimumRequirements())
        return std::nullopt;
    Map values = payloadValues;
    values.set("eventId", Value(eventIdentifier));
    if (!json::isValidJSONObject(Value(values))) {
        log::debugOnly("[Halyard:Tally] HLYAnalyticsEvent unable to JSON-encode payloadValueDictionary {error: the "
                       "values hold data that JSON cannot carry}");
        return std::nullopt;
    }
    const std::string text = json::serialize(Value(std::move(values)));
    return Bytes(text.begin(), text.end());
}

std::unique_ptr<HLYAnalyticsEvent> HLYAnalyticsEvent::initWithPriority(std::uint64_t priority, std::uint64_t timestamp,
                                                                       const std::string& key,
                                                                       const std::string& eventIdentifier,
                                                                       const Map& payloadValues)
{
    auto payload = payloadFor(payloadValues, eventIdentifier);
    if (!payload)
        return nullptr;
    return std::unique_ptr<HLYAnalyticsEvent>(
        new HLYAnalyticsEvent(priority, timestamp, key, std::move(*payload), eventIdentifier, payloadValues));
}

std::unique_ptr<HLYAnalyticsEvent> HLYAnalyticsEvent::initWithTallyEvent(const HLYTallyEvent& event,
                                                                         std::uint64_t timestamp,
                                                                         const std::string& eventIdentifier)
{
    return initWithPriority(2, timestamp, event.key(), eventIdentifier, event.payloadDictionary());
}

std::string HLYAnalyticsEvent::description() const
{
    return "HLYAnalyticsEvent {id=" + m_eventIdentifier + ", key=" + key()
           + ", stringPayloadValueDict=" + json::serialize(Value(m_stringPayloadValueDict)) + "}";
}

} // namespace qlkit
