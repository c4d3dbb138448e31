// Fixed texts of the kit's core that requests, files and records carry.
#pragma once

namespace qlkit {

// Reverse-domain label of the kit's core: kit versions, request headers,
// the settings cache folder and queue labels all use it.
inline constexpr const char* kKitIdentifier = "org.quiverleaf.rigging";
inline constexpr const char* kKitDisplayVersion = "1.2.8";
inline constexpr const char* kKitBuildVersion = "20";
inline constexpr const char* kDeveloperToken = "f0e1d2c3b4a5968778695a4b3c2d1e0ff0e1d2c3";
// The platform named in service URLs, records and metadata.
inline constexpr const char* kPlatformName = "linux";
// Key of the install identifier in the private defaults store.
inline constexpr const char* kInstallUUIDKey = "org.quiverleaf.rigging.install.uuid";

} // namespace qlkit
