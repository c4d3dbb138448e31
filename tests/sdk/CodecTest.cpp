#include "SdkTestSupport.h"

#include "sdk/foundation/Base64.h"
#include "sdk/foundation/Json.h"
#include "sdk/foundation/Plist.h"

#include <gtest/gtest.h>

using namespace qlkit;

TEST(Json, KeepsKeyOrderAndWideIntegers)
{
    const auto parsed = json::parse(R"({"z":1,"a":{"y":9007199254740993,"b":[true,null,1.5,"x"]}})");
    ASSERT_TRUE(parsed.value) << parsed.error;
    EXPECT_EQ(json::serialize(*parsed.value), R"({"z":1,"a":{"y":9007199254740993,"b":[true,null,1.5,"x"]}})");
    EXPECT_EQ(*parsed.value->asMap()->find("a")->asMap()->find("y")->asInt(), 9007199254740993LL);
    for (const char* bad : {"", "{", "{\"a\":}", "[1,]", "nul"})
        EXPECT_FALSE(json::parse(bad).value) << bad;
}

TEST(Json, RefusesNestingBeyondTheBoundWithoutCrashing)
{
    auto nested = [](std::size_t depth, const char* open, const char* close) {
        std::string text;
        for (std::size_t i = 0; i < depth; ++i)
            text += open;
        text += "1";
        for (std::size_t i = 0; i < depth; ++i)
            text += close;
        return text;
    };
    // 30,000 levels once ended the process on its stack.
    const auto deep = json::parse(nested(30000, "[", "]"));
    EXPECT_FALSE(deep.value);
    EXPECT_NE(deep.error.find("nested"), std::string::npos) << deep.error;
    EXPECT_FALSE(json::parse(nested(30000, "{\"a\":", "}")).value);
    EXPECT_FALSE(json::parse(nested(json::kMaxDepth + 1, "[", "]")).value);
    const auto limit = json::parse(nested(json::kMaxDepth, "[", "]"));
    ASSERT_TRUE(limit.value) << limit.error;
    EXPECT_EQ(json::serialize(*limit.value), nested(json::kMaxDepth, "[", "]"));
    // Members, duplicates (the last wins, in the first place) and numbers read as before.
    const auto members = json::parse(R"({"a":1,"b":[18446744073709551615,-1,2.5e3],"a":{"c":null}})");
    ASSERT_TRUE(members.value) << members.error;
    EXPECT_EQ(json::serialize(*members.value), R"({"a":{"c":null},"b":[1.8446744073709552e+19,-1,2500.0]})");
}

TEST(Plist, RoundTripsEveryKindAndIsReadableByAnIndependentReader)
{
    const Map original {{"text", "a <b> & \"c\" é"},
                        {"count", std::int64_t(-5000000000LL)},
                        {"ratio", 0.25},
                        {"yes", true},
                        {"when", Date {1700000000}},
                        {"blob", Bytes {0, 1, 2, 255}},
                        {"list", Array {1, "two", Map {{"k", false}}}},
                        {"empty", Map {}}};
    const std::string xml = plist::serializeXml(Value(original));
    const auto back = plist::parseXml(xml);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, Value(original));

    test::TempDir dir;
    test::writeTextFile(dir.path() / "f.plist", xml);
    const auto result = test::run({test::python(), "-c",
                                   "import plistlib,sys; d=plistlib.load(open(sys.argv[1],'rb'));"
                                   "print(d['text'], d['count'], d['ratio'], d['yes'], d['when'].isoformat(),"
                                   " d['blob'].hex(), d['list'][2]['k'], list(d))",
                                   (dir.path() / "f.plist").string()});
    EXPECT_EQ(result.output, "a <b> & \"c\" é -5000000000 0.25 True 2023-11-14T22:13:20 000102ff False "
                             "['text', 'count', 'ratio', 'yes', 'when', 'blob', 'list', 'empty']\n");

    for (const char* bad : {"", "<plist>", "<plist><dict><key>a</key></dict></plist>",
                            "<plist><integer>12x</integer></plist>", "<plist><data>!!</data></plist>",
                            "<plist><string>a</string></plist>trailing"})
        EXPECT_FALSE(plist::parseXml(bad)) << bad;
    std::string deep = "<plist>";
    for (int i = 0; i < 5000; ++i)
        deep += "<array>";
    EXPECT_FALSE(plist::parseXml(deep)); // bounded depth, no stack overflow
}

TEST(Base64, IsStrict)
{
    EXPECT_EQ(base64::encode(std::string_view("foobar")), "Zm9vYmFy");
    EXPECT_EQ(base64::encode(std::string_view("fo")), "Zm8=");
    EXPECT_EQ(base64::decode("Zm8="), (Bytes {'f', 'o'}));
    for (const char* bad : {"Zm8", "Zm8*", "Z=m8", "Zm==Zm8=", "Zm 8="})
        EXPECT_FALSE(base64::decode(bad)) << bad;
}
