// Fixed texts of the crash-reporting kit: its reverse-domain labels and the
// versions its records carry.
#pragma once

namespace qlkit {

// The kit's reverse-domain label; queue and thread labels extend it.
inline constexpr const char* kHalyardIdentifier = "org.quiverleaf.halyard";
// The folder under the user's caches that holds the report tree.
inline constexpr const char* kHalyardDataFolder = "org.quiverleaf.halyard.data";
// What every report says wrote it. The service reads these texts as they
// stand, so they stay exactly as the service knows them.
inline constexpr const char* kHalyardGenerator = "Halyard Mac SDK/3.0.11";
inline constexpr const char* kHalyardBuildVersion = "58";
inline constexpr const char* kHalyardDisplayVersion = "3.0.11";

} // namespace qlkit
