#include "crash/Tally/HLYEventLog/HLYEventLogSessionRepository.h"

namespace qlkit {
namespace {

constexpr std::uint64_t kPriorities = 3;

std::int64_t priorityOfActiveName(const std::string& name)
{
    for (std::uint64_t priority = 0; priority < kPriorities; ++priority)
        if (name == *HLYEventLogSessionRepository::activeEventLogFileNameForPriority(priority))
            return std::int64_t(priority);
    return -1;
}

} // namespace

std::optional<std::string> HLYEventLogSessionRepository::activeEventLogFileNameForPriority(std::uint64_t priority)
{
    if (priority >= kPriorities)
        return std::nullopt;
    return std::to_string(priority) + ".log";
}

std::int64_t HLYEventLogSessionRepository::priorityForEventLogFileWithName(const std::string& name)
{
    if (const auto priority = priorityOfActiveName(name); priority >= 0)
        return priority;
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return -1;
    return priorityOfActiveName(name.substr(0, dot));
}

} // namespace qlkit
