// What the notices prompt tells its delegate. Every callback is optional;
// an empty question answers yes. A notice's details are its dictionary.
#pragma once

#include "platform/Error.h"
#include "platform/archive/PlistValue.h"

#include <QString>
#include <functional>
#include <optional>

namespace ql {

struct NotifierDelegate {
    using Notices = PlistValue::Dictionary;
    std::function<bool()> notifierShouldCheckForNotifications;
    std::function<void(const Notices&)> notifierDidDetectNotifications;
    std::function<void(const std::optional<Error>&)> notifierNotificationsCheckDidFailWithError;
    std::function<void(const std::optional<Error>&)> notifierNotificationsCheckFailed; // older name
    std::function<bool(const QString& key, const PlistValue& details)> notifierShouldDisplayNotificationWithKey;
    std::function<void(const QString& key, const PlistValue& details)> notifierUserDidViewActionURLForNotificationWithKey;
    std::function<void(const QString& key, const PlistValue& details)> notifierUserDidIgnoreNotificationWithKey;
    std::function<void(const QString& key, const PlistValue& details)> notifierUserDidRequestReminderForNotificationWithKey;
};

} // namespace ql
