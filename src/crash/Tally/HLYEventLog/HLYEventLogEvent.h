// One line of an analytics event log: when, what, and an optional payload
// whose byte length precedes it, so a reader can skip payloads of any content.
#pragma once

#include "sdk/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qlkit {

class HLYEventLogEvent {
public:
    HLYEventLogEvent(std::uint64_t priority, std::uint64_t timestamp, std::string key,
                     std::optional<Bytes> payload = std::nullopt);
    virtual ~HLYEventLogEvent() = default;

    // timestamp TAB key [TAB length TAB payload] LF
    Bytes eventData() const;

    bool operator==(const HLYEventLogEvent& other) const;
    std::uint64_t hash() const;

    std::uint64_t priority() const { return m_priority; }
    std::uint64_t timestamp() const { return m_timestamp; }
    const std::string& key() const { return m_key; }
    const std::optional<Bytes>& payload() const { return m_payload; }

private:
    std::uint64_t m_priority;
    std::uint64_t m_timestamp;
    std::string m_key;
    std::optional<Bytes> m_payload;
};

} // namespace qlkit
