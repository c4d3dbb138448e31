// The predefined events (sign-up, login, invite, share, purchase) and the
// custom event. Each sets its attributes in a fixed order, through the same
// checks as the caller's own attributes.
#pragma once

#include "crash/Tally/HLYTallyEvent.h"

namespace qlkit {

using OptionalText = std::optional<std::string>;

class HLYTallySignUpEvent : public HLYTallyEvent {
public:
    HLYTallySignUpEvent(const OptionalText& signupMethod, std::optional<bool> success,
                        const std::optional<Map>& customAttributes);
};

class HLYTallyLoginEvent : public HLYTallyEvent {
public:
    HLYTallyLoginEvent(const OptionalText& loginMethod, std::optional<bool> success,
                       const std::optional<Map>& customAttributes);
};

class HLYTallyInviteEvent : public HLYTallyEvent {
public:
    HLYTallyInviteEvent(const OptionalText& inviteMethod, const std::optional<Map>& customAttributes);
};

class HLYTallyShareEvent : public HLYTallyEvent {
public:
    HLYTallyShareEvent(const OptionalText& shareMethod, const OptionalText& contentName, const OptionalText& contentType,
                       const OptionalText& contentId, const std::optional<Map>& customAttributes);
};

class HLYTallyPurchaseEvent : public HLYTallyEvent {
public:
    HLYTallyPurchaseEvent(const std::optional<Decimal>& price, const OptionalText& currency, std::optional<bool> success,
                          const OptionalText& itemName, const OptionalText& itemId, const OptionalText& itemType,
                          const std::optional<Map>& customAttributes);

    // The price in millionths, exactly; none stays none.
    static Value serializePriceToMicros(const std::optional<Decimal>& price);
};

class HLYTallyCustomEvent : public HLYTallyEvent {
public:
    explicit HLYTallyCustomEvent(const std::string& name, const std::optional<Map>& attributes = std::nullopt);
};

} // namespace qlkit
