// The application's way to record analytics events. Every call builds its
// event on the calling thread and hands it to the running kit's analytics.
#pragma once

#include "crash/Tally/HLYTallyEvents.h"

namespace qlkit {

class Tally {
public:
    static void logSignUpWithMethod(const OptionalText& method, std::optional<bool> success,
                                    const std::optional<Map>& customAttributes = std::nullopt);
    static void logLoginWithMethod(const OptionalText& method, std::optional<bool> success,
                                   const std::optional<Map>& customAttributes = std::nullopt);
    static void logShareWithMethod(const OptionalText& method, const OptionalText& contentName,
                                   const OptionalText& contentType, const OptionalText& contentId,
                                   const std::optional<Map>& customAttributes = std::nullopt);
    static void logInviteWithMethod(const OptionalText& method, const std::optional<Map>& customAttributes = std::nullopt);
    // Item type comes before item id here, unlike the event's constructor.
    static void logPurchaseWithPrice(const std::optional<Decimal>& price, const OptionalText& currency,
                                     std::optional<bool> success, const OptionalText& itemName,
                                     const OptionalText& itemType, const OptionalText& itemId,
                                     const std::optional<Map>& customAttributes = std::nullopt);
    static void logCustomEventWithName(const std::string& name, const std::optional<Map>& customAttributes = std::nullopt);

    // Without a running kit with analytics, the event goes nowhere.
    static void logEvent(const HLYTallyEvent& event);
};

} // namespace qlkit
