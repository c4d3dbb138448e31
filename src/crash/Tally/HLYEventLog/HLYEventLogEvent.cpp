#include "crash/Tally/HLYEventLog/HLYEventLogEvent.h"

#include <functional>
#include <string_view>

namespace qlkit {

HLYEventLogEvent::HLYEventLogEvent(std::uint64_t priority, std::uint64_t timestamp, std::string key,
                                   std::optional<Bytes> payload)
    : m_priority(priority)
    , m_timestamp(timestamp)
    , m_key(std::move(key))
    , m_payload(std::move(payload))
{
}

Bytes HLYEventLogEvent::eventData() const
{
    // The timestamp is written as a signed number, as the log format always has.
    std::string head = std::to_string(static_cast<long long>(m_timestamp)) + '\t' + m_key;
    if (m_payload)
        head += '\t' + std::to_string(m_payload->size()) + '\t';
    Bytes line(head.begin(), head.end());
    if (m_payload)
        line.insert(line.end(), m_payload->begin(), m_payload->end());
    line.push_back('\n');
    return line;
}

bool HLYEventLogEvent::operator==(const HLYEventLogEvent& other) const
{
    return m_priority == other.m_priority && m_timestamp == other.m_timestamp && m_key == other.m_key
        && m_payload == other.m_payload;
}

std::uint64_t HLYEventLogEvent::hash() const
{
    const std::uint64_t keyHash = std::hash<std::string> {}(m_key);
    const std::uint64_t payloadHash = m_payload
        ? std::hash<std::string_view> {}(std::string_view(reinterpret_cast<const char*>(m_payload->data()), m_payload->size()))
        : 0;
    // Unsigned arithmetic wraps, as it should here.
    return m_priority + 2 * m_timestamp + 4 * keyHash + 8 * payloadHash;
}

} // namespace qlkit
