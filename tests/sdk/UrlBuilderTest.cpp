#include "sdk/KitException.h"
#include "sdk/RIGObfuscator.h"
#include "sdk/RIGURLBuilder.h"
#include "sdk/foundation/Base64.h"
#include "sdk/foundation/Plist.h"

#include <gtest/gtest.h>

using namespace qlkit;

TEST(RIGURLBuilder, BuildsPathAndQueryInOrder)
{
    auto builder = RIGURLBuilder::URLWithBase("https://example.test");
    builder.appendComponent("/spi/v2/platforms/");
    builder.escapeAndAppendComponent("my app");
    builder.appendValue(Value(), "missing");
    builder.appendValue(Value(5), "count");
    builder.appendValue(Value("a b"), "name");
    EXPECT_EQ(builder.URLString(), "https://example.test/spi/v2/platforms/my%20app?count=5&name=a%20b");
    EXPECT_EQ(builder.queryParams(), 2u);
    EXPECT_TRUE(builder.URL());

    // A value cannot add parameters of its own.
    auto query = RIGURLBuilder::URLWithBase("https://example.test/x");
    query.appendValue(Value("1&admin=true+x#y?z"), "v");
    EXPECT_EQ(query.URLString(), "https://example.test/x?v=1%26admin%3Dtrue%2Bx%23y%3Fz");

    EXPECT_EQ(RIGURLBuilder::escapeString("a/b?c&d=e+f:g@h \"%<>\\^`{|}é"),
              "a/b?c&d=e+f:g@h%20%22%25%3C%3E%5C%5E%60%7B%7C%7D%C3%A9");
    EXPECT_FALSE(RIGURLBuilder::URLWithBase("not a url").URL());
}

TEST(RIGObfuscator, RoundTripsAndRefusesDamagedData)
{
    const Map original {{"key", "value"}, {"n", 3}, {"nested", Map {{"on", true}}}};
    EXPECT_EQ(RIGObfuscator::dictionaryWithObfuscatedData(RIGObfuscator::obfuscatedDataFromDictionary(original)),
              original);

    auto reasonFor = [](const std::optional<std::string>& data) {
        try {
            RIGObfuscator::dictionaryWithObfuscatedData(data);
        } catch (const KitException& e) {
            EXPECT_EQ(e.name(), "InvalidObfuscatedData");
            return e.reason();
        }
        return std::string("no exception");
    };
    EXPECT_EQ(reasonFor(std::nullopt), "Attempting to deobfuscate nil or empty data.");
    EXPECT_EQ(reasonFor(""), "Attempting to deobfuscate nil or empty data.");
    EXPECT_EQ(reasonFor("not base64!"), "Improperly obfuscated data.");
    EXPECT_EQ(reasonFor(base64::encode(plist::serializeXml(Value(Array {1, 2})))), "Improperly obfuscated data.");
    EXPECT_EQ(reasonFor(base64::encode(std::string_view("<plist><dict>"))), "Improperly obfuscated data.");
}
