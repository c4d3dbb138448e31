#include "crash/Tally/HLYTallyEvents.h"

namespace qlkit {
namespace {

Value text(const OptionalText& value)
{
    return value ? Value(*value) : Value();
}

} // namespace

HLYTallySignUpEvent::HLYTallySignUpEvent(const OptionalText& signupMethod, std::optional<bool> success,
                                         const std::optional<Map>& customAttributes)
    : HLYTallyEvent(PredefinedEventType {"sign_up"}, customAttributes)
{
    addPredefinedAttribute(serializeSuccess(success), "success");
    addPredefinedAttribute(text(signupMethod), "method");
}

HLYTallyLoginEvent::HLYTallyLoginEvent(const OptionalText& loginMethod, std::optional<bool> success,
                                       const std::optional<Map>& customAttributes)
    : HLYTallyEvent(PredefinedEventType {"login"}, customAttributes)
{
    addPredefinedAttribute(serializeSuccess(success), "success");
    addPredefinedAttribute(text(loginMethod), "method");
}

HLYTallyInviteEvent::HLYTallyInviteEvent(const OptionalText& inviteMethod, const std::optional<Map>& customAttributes)
    : HLYTallyEvent(PredefinedEventType {"invite"}, customAttributes)
{
    addPredefinedAttribute(text(inviteMethod), "method");
}

HLYTallyShareEvent::HLYTallyShareEvent(const OptionalText& shareMethod, const OptionalText& contentName,
                                       const OptionalText& contentType, const OptionalText& contentId,
                                       const std::optional<Map>& customAttributes)
    : HLYTallyEvent(PredefinedEventType {"share"}, customAttributes)
{
    addPredefinedAttribute(text(shareMethod), "method");
    addPredefinedAttribute(text(contentName), "content_name");
    addPredefinedAttribute(text(contentType), "content_type");
    addPredefinedAttribute(text(contentId), "content_id");
}

HLYTallyPurchaseEvent::HLYTallyPurchaseEvent(const std::optional<Decimal>& price, const OptionalText& currency,
                                             std::optional<bool> success, const OptionalText& itemName,
                                             const OptionalText& itemId, const OptionalText& itemType,
                                             const std::optional<Map>& customAttributes)
    : HLYTallyEvent(PredefinedEventType {"purchase"}, customAttributes)
{
    addPredefinedAttribute(serializePriceToMicros(price), "item_price");
    addPredefinedAttribute(text(currency), "currency");
    addPredefinedAttribute(serializeSuccess(success), "success");
    addPredefinedAttribute(text(itemName), "item_name");
    addPredefinedAttribute(text(itemId), "item_id");
    addPredefinedAttribute(text(itemType), "item_type");
}

Value HLYTallyPurchaseEvent::serializePriceToMicros(const std::optional<Decimal>& price)
{
    if (!price)
        return nullptr;
    return price->multipliedBy(Decimal(1000000));
}

HLYTallyCustomEvent::HLYTallyCustomEvent(const std::string& name, const std::optional<Map>& attributes)
    : HLYTallyEvent(CustomEventType {name}, attributes)
{
}

} // namespace qlkit
