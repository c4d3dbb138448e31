// What stamps analytics events: the time in milliseconds and new identifiers.
#pragma once

#include <cstdint>
#include <string>

namespace qlkit {

class HLYAnalyticsTimestampGenerator {
public:
    // Milliseconds since 1970, rounded down, from the kit's clock.
    std::uint64_t generateAnalyticsTimestamp() const;
    static std::uint64_t timestampForSeconds(double secondsSince1970);
};

class HLYAnalyticsIdentifierGenerator {
public:
    // New random UUIDs, 36 upper-case characters with hyphens.
    std::string generateSessionFragmentIdentifier() const;
    std::string generateEventIdentifier() const;
};

} // namespace qlkit
