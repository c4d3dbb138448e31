// The record that opens every event log: the session's metadata as JSON,
// always under the key "metadata".
#pragma once

#include "crash/Tally/HLYEventLog/HLYEventLogEvent.h"

namespace qlkit {

class HLYAnalyticsMetadataEvent final : public HLYEventLogEvent {
public:
    // Without metadata (it could not be written as JSON) the record has no payload.
    HLYAnalyticsMetadataEvent(std::uint64_t priority, std::uint64_t timestamp, std::optional<Bytes> metadataJSONData)
        : HLYEventLogEvent(priority, timestamp, "metadata", std::move(metadataJSONData))
    {
    }
    const std::optional<Bytes>& metadataJSONData() const { return payload(); }
};

} // namespace qlkit
