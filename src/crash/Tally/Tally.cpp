#include "crash/Tally/Tally.h"

#include "crash/Tally/HLYAnalyticsController.h"
#include "crash/kit/Halyard.h"

namespace qlkit {

void Tally::logSignUpWithMethod(const OptionalText& method, std::optional<bool> success,
                                const std::optional<Map>& customAttributes)
{
    logEvent(HLYTallySignUpEvent(method, success, customAttributes));
}

void Tally::logLoginWithMethod(const OptionalText& method, std::optional<bool> success,
                               const std::optional<Map>& customAttributes)
{
    logEvent(HLYTallyLoginEvent(method, success, customAttributes));
}

void Tally::logShareWithMethod(const OptionalText& method, const OptionalText& contentName,
                               const OptionalText& contentType, const OptionalText& contentId,
                               const std::optional<Map>& customAttributes)
{
    logEvent(HLYTallyShareEvent(method, contentName, contentType, contentId, customAttributes));
}

void Tally::logInviteWithMethod(const OptionalText& method, const std::optional<Map>& customAttributes)
{
    logEvent(HLYTallyInviteEvent(method, customAttributes));
}

void Tally::logPurchaseWithPrice(const std::optional<Decimal>& price, const OptionalText& currency,
                                 std::optional<bool> success, const OptionalText& itemName,
                                 const OptionalText& itemType, const OptionalText& itemId,
                                 const std::optional<Map>& customAttributes)
{
    logEvent(HLYTallyPurchaseEvent(price, currency, success, itemName, itemId, itemType, customAttributes));
}

void Tally::logCustomEventWithName(const std::string& name, const std::optional<Map>& customAttributes)
{
    logEvent(HLYTallyCustomEvent(name, customAttributes));
}

void Tally::logEvent(const HLYTallyEvent& event)
{
    if (const auto analytics = Halyard::sharedInstance()->analyticsController())
        analytics->logTallyEvent(event);
}

} // namespace qlkit
