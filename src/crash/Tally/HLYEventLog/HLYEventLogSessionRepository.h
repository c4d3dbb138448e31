// The folder tree of analytics sessions. For now: the log file names by
// priority, which are part of the stored format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qlkit {

class HLYEventLogSessionRepository {
public:
    // "0.log", "1.log", "2.log"; no name for other priorities.
    static std::optional<std::string> activeEventLogFileNameForPriority(std::uint64_t priority);
    // The priority of "p.log" or of "p.log" with one more extension ("1.log.zip"); -1 otherwise.
    static std::int64_t priorityForEventLogFileWithName(const std::string& name);
};

} // namespace qlkit
