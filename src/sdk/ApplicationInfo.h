// What the application is, read from the Info dictionary it registered.
#pragma once

#include <optional>
#include <string>

namespace qlkit {

// The bundle identifier with every "/" replaced by "_", as URLs and records use it.
std::optional<std::string> RIGApplicationBundleIdentifier();
std::optional<std::string> RIGApplicationBuildVersion();
std::optional<std::string> RIGApplicationDisplayVersion();
std::optional<std::string> RIGApplicationName();
// There is no application store receipt on this platform: always false.
bool RIGHasStoreReceipt();
bool RIGApplicationIsSignedForDistribution();
// 3 for a build signed for distribution, else 1.
int RIGApplicationInstallSource();
bool RIGCanCollectDeviceIdentifiers();

} // namespace qlkit
