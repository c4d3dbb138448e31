// What the probe does before it crashes: per-user folders inside the given
// folder, the application's Info dictionary, the kit's core, and the crash
// reporter started on a new run folder with the default settings.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace qlkit {
class HLYCrashCallbackTarget;
class Halyard;
} // namespace qlkit

namespace probe {

inline constexpr const char* kBundleIdentifier = "org.quiverleaf.crash-probe";
inline constexpr const char* kAPIKey = "5f0c2d7e9a1b3c4d5e6f708192a3b4c5d6e7f809";

// The run folder the capture core records into, or nothing on failure.
// `callback` is called at the end of every crash path.
std::optional<std::string> startCrashReporter(const std::string& folder, const std::string& url,
                                              qlkit::HLYCrashCallbackTarget* callback = nullptr);

// Per-user folders inside `folder`, every endpoint `url`, and the kit
// started the way an application starts it; nothing on failure.
std::shared_ptr<qlkit::Halyard> startHalyard(const std::string& folder, const std::string& url);

} // namespace probe
