// What the crash reporter asks about the host application: whether it runs
// as an extension, and keeping the process from being ended while reports
// are processed.
#pragma once

#include "sdk/foundation/Value.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qlkit {

// The application's lifecycle, posted by the application on the kit's
// notification centre under these names; the crash reporter and analytics
// observe them.
inline constexpr const char* kHLYApplicationWillBecomeActiveNotification = "NSApplicationWillBecomeActiveNotification";
inline constexpr const char* kHLYApplicationDidBecomeActiveNotification = "NSApplicationDidBecomeActiveNotification";
inline constexpr const char* kHLYApplicationWillResignActiveNotification = "NSApplicationWillResignActiveNotification";
inline constexpr const char* kHLYApplicationDidResignActiveNotification = "NSApplicationDidResignActiveNotification";
inline constexpr const char* kHLYApplicationWillTerminateNotification = "NSApplicationWillTerminateNotification";

inline constexpr std::uint64_t kHLYActivitySuddenTerminationDisabled = 0x4000;
inline constexpr std::uint64_t kHLYActivityAutomaticTerminationDisabled = 0x8000;

// The Info dictionary's "NSExtension" / "NSExtensionPointIdentifier"; a
// mal-formed entry gives nothing and one line in the capture core's log.
std::optional<std::string> HLYApplicationExtensionPointIdentifier();
bool HLYApplicationIsExtension();

// This platform has no process activities: the token is the dictionary
// {"options", "reason"}, and sudden and automatic termination are counters
// that begin and end pair up on. While either is held, the login manager
// delays logout, shutdown and sleep (HLYLogoutInhibitor).
std::optional<Map> HLYApplicationBeginActivity(std::uint64_t options, const std::string& reason);
void HLYApplicationEndActivity(const std::optional<Map>& token);
void HLYApplicationActivity(std::uint64_t options, const std::string& reason, const std::function<void()>& block);
// Whether nothing holds off sudden or automatic termination now.
bool HLYApplicationSuddenTerminationEnabled();
bool HLYApplicationAutomaticTerminationEnabled();

} // namespace qlkit
