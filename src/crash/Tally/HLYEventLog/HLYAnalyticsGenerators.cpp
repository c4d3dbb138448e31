#include "crash/Tally/HLYEventLog/HLYAnalyticsGenerators.h"

#include "sdk/TextForms.h"
#include "sdk/foundation/Clock.h"

#include <cmath>

namespace qlkit {

std::uint64_t HLYAnalyticsTimestampGenerator::generateAnalyticsTimestamp() const
{
    return timestampForSeconds(Clock::shared()->wallNow());
}

std::uint64_t HLYAnalyticsTimestampGenerator::timestampForSeconds(double secondsSince1970)
{
    // A clock set before 1970 gives 0 rather than a wrapped huge number.
    const double milliseconds = std::floor(secondsSince1970 * 1000.0);
    return milliseconds > 0 ? std::uint64_t(milliseconds) : 0;
}

std::string HLYAnalyticsIdentifierGenerator::generateSessionFragmentIdentifier() const
{
    return RIGGenerateUUIDString();
}

std::string HLYAnalyticsIdentifierGenerator::generateEventIdentifier() const
{
    return RIGGenerateUUIDString();
}

} // namespace qlkit
