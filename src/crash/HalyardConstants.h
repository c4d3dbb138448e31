// Fixed texts of the crash-reporting kit: its reverse-domain labels and the
// versions its records carry.
#pragma once

namespace qlkit {

// The kit's reverse-domain label; queue and thread labels extend it.
inline constexpr const char* kHalyardIdentifier = "org.quiverleaf.halyard";
// The folder under the user's caches that holds the report tree.
inline constexpr const char* kHalyardDataFolder = "org.quiverleaf.halyard.data";
// Prefix of the kit's own keys among a run's internal keys ("...user-id").
inline constexpr const char* kHalyardInternalKeyPrefix = "org.quiverleaf.halyard.";
// The crash reporter's work queue and the beta check's queue.
inline constexpr const char* kHalyardWorkQueueLabel = "org.quiverleaf.halyard.crash.work";
inline constexpr const char* kHalyardBetaQueueLabel = "org.quiverleaf.halyard.beta";
// Header "X-Halyard-API-Client-Id" of uploads and beta checks.
inline constexpr const char* kHalyardKitIdentifier = "org.quiverleaf.halyard";
// What every report says wrote it. The service reads these texts as they
// stand, so they stay exactly as the service knows them.
inline constexpr const char* kHalyardGenerator = "Halyard Mac SDK/3.0.11";
inline constexpr const char* kHalyardBuildVersion = "58";
inline constexpr const char* kHalyardDisplayVersion = "3.0.11";

} // namespace qlkit
