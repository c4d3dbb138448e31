// What the rating prompt tells its delegate. Every callback is optional: an
// empty one does nothing, and an empty question answers yes.
#pragma once

#include "platform/Error.h"

#include <functional>
#include <optional>

namespace ql {

struct RaterDelegate {
    std::function<void(const std::optional<Error>&)> raterCouldNotConnectToAppStore;
    std::function<void()> raterDidDetectAppUpdate;
    std::function<bool()> raterShouldPromptForRating;
    std::function<void()> raterDidPromptForRating;
    std::function<void()> raterUserDidAttemptToRateApp;
    std::function<void()> raterUserDidDeclineToRateApp;
    std::function<void()> raterUserDidRequestReminderToRateApp;
    std::function<bool()> raterShouldOpenAppStore;
    std::function<void()> raterDidOpenAppStore;
};

} // namespace ql
