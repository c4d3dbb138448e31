#include "crash/Tally/Tally.h"
#include "sdk/foundation/Json.h"

#include <gtest/gtest.h>

using namespace qlkit;

namespace {

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string payloadJson(const HLYTallyEvent& event)
{
    return json::serialize(event.payloadDictionary());
}

} // namespace

TEST(Tally, KeepsTwentyAttributesPerDictionaryAndRefusesOtherKinds)
{
    Map attributes;
    for (int i = 0; i < 25; ++i)
        attributes.set("k" + std::to_string(i), i);
    testing::internal::CaptureStderr();
    const HLYTallyLoginEvent login("email", true, attributes);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(occurrences(log, "[Halyard:Tally] Maximum number of Event attributes exceeded. Ignoring attribute\n"), 5u);
    ASSERT_EQ(login.customAttributes().size(), 20u);
    EXPECT_EQ(login.customAttributes().begin()->first, "k0");
    EXPECT_EQ((login.customAttributes().end() - 1)->first, "k19");
    // The predefined attributes have a limit of their own.
    EXPECT_EQ(payloadJson(login).rfind(
                  R"({"predefined_type":"login","predefined_attributes":{"success":"true","method":"email"},"custom_)", 0),
              0u);

    testing::internal::CaptureStderr();
    const HLYTallyCustomEvent custom("saved", Map {{"list", Array {1, 2}}, {"when", Date {5}}, {"none", nullptr},
                                                   {"n", 3}, {"flag", false}, {"price", *Decimal::fromString("2.5")}});
    const std::string refused = testing::internal::GetCapturedStderr();
    EXPECT_EQ(occurrences(refused, "[Halyard:Tally] Event attribute values must be of type NSString or NSNumber. "
                                   "Ignoring entry "),
              2u);
    EXPECT_NE(refused.find("Ignoring entry list:[1,2]\n"), std::string::npos);
    EXPECT_EQ(payloadJson(custom), R"({"custom_type":"saved","custom_attributes":{"n":3,"flag":false,"price":2.5}})");
}

TEST(Tally, CutsKeysAndValuesAtOneHundredUtf16Units)
{
    const std::string longValue(150, 'v');
    const std::string longKey(120, 'k');
    testing::internal::CaptureStderr();
    const HLYTallyInviteEvent invite(longValue, Map {{longKey, "x"}, {"short", "y"}});
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(occurrences(log, "[Halyard:Tally] Maximum length for an Event attributes exceeded. Truncating to 100 characters.\n"),
              2u);
    EXPECT_EQ(*invite.predefinedAttributes().find("method"), Value(std::string(100, 'v')));
    EXPECT_EQ(*invite.customAttributes().find(std::string(100, 'k')), Value("x"));

    // Two-byte and three-byte characters are one unit each; an emoji is two.
    EXPECT_EQ(HLYTallyEvent::truncateString(std::string(100, 'a')), std::string(100, 'a'));
    std::string accents;
    for (int i = 0; i < 101; ++i)
        accents += "\xC3\xA9";
    EXPECT_EQ(HLYTallyEvent::truncateString(accents), accents.substr(0, 200));
    const std::string emoji = "\xF0\x9F\x98\x80";
    const std::string pairs = std::string(98, 'a') + emoji + emoji;
    EXPECT_EQ(HLYTallyEvent::truncateString(pairs), std::string(98, 'a') + emoji);
    // A pair the cut would split goes whole rather than leaving half of it.
    const std::string split = std::string(99, 'a') + emoji;
    EXPECT_EQ(HLYTallyEvent::truncateString(split), std::string(99, 'a'));
    // Malformed bytes count one unit each and never run past the text.
    EXPECT_EQ(HLYTallyEvent::truncateString(std::string(150, '\xFF')).size(), 100u);
    EXPECT_EQ(HLYTallyEvent::truncateString("abc\xF0\x9F"), "abc\xF0\x9F");
    EXPECT_EQ(HLYTallyEvent::truncateAttribute(Value(7)), Value(7));
}

TEST(Tally, PredefinedEventsSetTheirAttributesInOrder)
{
    EXPECT_EQ(payloadJson(HLYTallyLoginEvent("email", std::nullopt, std::nullopt)),
              R"({"predefined_type":"login","predefined_attributes":{"method":"email"}})");
    EXPECT_EQ(payloadJson(HLYTallySignUpEvent("apple", false, std::nullopt)),
              R"({"predefined_type":"sign_up","predefined_attributes":{"success":"false","method":"apple"}})");
    EXPECT_EQ(payloadJson(HLYTallyShareEvent("mail", "Flyer", "pdf", "42", Map {{"n", 1}})),
              R"({"predefined_type":"share","predefined_attributes":{"method":"mail","content_name":"Flyer",)"
              R"("content_type":"pdf","content_id":"42"},"custom_attributes":{"n":1}})");

    const HLYTallyPurchaseEvent purchase(Decimal::fromString("1.99"), "EUR", true, "Poster", "id-7", "print", std::nullopt);
    EXPECT_EQ(purchase.key(), "predefined");
    EXPECT_EQ(payloadJson(purchase),
              R"({"predefined_type":"purchase","predefined_attributes":{"item_price":1990000,"currency":"EUR",)"
              R"("success":"true","item_name":"Poster","item_id":"id-7","item_type":"print"}})");
    const HLYTallyPurchaseEvent free(std::nullopt, std::nullopt, std::nullopt, "Card", std::nullopt, std::nullopt,
                                     std::nullopt);
    EXPECT_EQ(payloadJson(free), R"({"predefined_type":"purchase","predefined_attributes":{"item_name":"Card"}})");

    const HLYTallyCustomEvent plain("opened");
    EXPECT_EQ(plain.key(), "custom");
    EXPECT_EQ(payloadJson(plain), R"({"custom_type":"opened"})");

    // Without a running kit the class operations build their events and go no further.
    Tally::logPurchaseWithPrice(Decimal::fromString("3"), "USD", true, "a", "b", "c");
    Tally::logCustomEventWithName("x", Map {{"n", 1}});
}
