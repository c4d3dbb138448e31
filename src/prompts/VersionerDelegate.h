// What the new-version prompt tells its delegate. Every callback is optional;
// an empty question answers yes. The older names are used only when the
// newer one is empty.
#pragma once

#include "platform/Error.h"

#include <QString>
#include <functional>
#include <optional>

namespace ql {

struct VersionerDelegate {
    std::function<bool()> versionerShouldCheckForNewVersion;
    std::function<void()> versionerDidNotDetectNewVersion;
    std::function<void(const std::optional<Error>&)> versionerVersionCheckDidFailWithError;
    std::function<void(const std::optional<Error>&)> versionerVersionCheckFailed; // older name
    std::function<void(const QString& version, const QString& details)> versionerDidDetectNewVersion;
    std::function<void(const QString& version, const QString& details)> versionerDetectedNewVersion; // older name
    std::function<bool(const QString& version, const QString& details)> versionerShouldDisplayNewVersion;
    std::function<bool(const QString& details)> versionerShouldDisplayCurrentVersionDetails;
    std::function<void(const QString& version)> versionerUserDidAttemptToDownloadUpdate;
    std::function<void(const QString& version)> versionerUserDidIgnoreUpdate;
    std::function<void(const QString& version)> versionerUserDidRequestReminderForUpdate;
    std::function<bool()> versionerShouldOpenAppStore;
};

} // namespace ql
