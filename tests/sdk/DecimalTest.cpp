#include "sdk/foundation/Decimal.h"
#include "sdk/foundation/Json.h"
#include "sdk/foundation/Plist.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace qlkit;

namespace {

Decimal dec(const char* text)
{
    const auto value = Decimal::fromString(text);
    EXPECT_TRUE(value) << text;
    return value.value_or(Decimal());
}

} // namespace

TEST(Decimal, ReadsPlainAndExponentTextAndWritesItWithoutExponent)
{
    EXPECT_EQ(dec("1.99").toString(), "1.99");
    EXPECT_EQ(dec("-0.050").toString(), "-0.05");
    EXPECT_EQ(dec("+12").toString(), "12");
    EXPECT_EQ(dec("2.5e3").toString(), "2500");
    EXPECT_EQ(dec("25E-4").toString(), "0.0025");
    EXPECT_EQ(dec(".5").toString(), "0.5");
    EXPECT_EQ(dec("7.").toString(), "7");
    EXPECT_EQ(dec("-0").toString(), "0");
    EXPECT_EQ(dec("000123.4500"), dec("123.45"));
    EXPECT_EQ(dec("1e2"), Decimal(100));

    for (const char* bad : {"", "-", ".", "1.2.3", "1e", "1e+", " 1", "1 ", "0x10", "1,5", "nan", "inf",
                            "123456789012345678901234567890123456789", "1e128", "1e-129", "1e99999999999"})
        EXPECT_FALSE(Decimal::fromString(bad)) << bad;
    // Leading zeros do not count as digits; 38 significant digits do fit.
    EXPECT_TRUE(Decimal::fromString("0000000012345678901234567890123456789012345678"));
}

TEST(Decimal, MultipliesExactlyWhereADoubleWouldNot)
{
    const Decimal micros(1000000);
    EXPECT_EQ(dec("1.99").multipliedBy(micros).toString(), "1990000");
    EXPECT_EQ(dec("1.99").multipliedBy(micros).toInt64(), 1990000);
    EXPECT_EQ(dec("0.1").multipliedBy(dec("0.2")).toString(), "0.02");
    EXPECT_EQ(dec("-3.5").multipliedBy(dec("-2")), Decimal(7));
    EXPECT_EQ(dec("-3.5").multipliedBy(dec("0")).toString(), "0");
    EXPECT_EQ(dec("99999999999999999999").multipliedBy(dec("99999999999999999999")).toString(),
              "9999999999999999999800000000000000000001");
    EXPECT_EQ(dec("0.0000001").multipliedBy(micros).toString(), "0.1");

    EXPECT_EQ(Decimal(INT64_MIN).toInt64(), INT64_MIN);
    EXPECT_FALSE(dec("9223372036854775808").toInt64());
    EXPECT_EQ(dec("9223372036854775808").toUInt64(), 9223372036854775808ULL);
    EXPECT_FALSE(dec("18446744073709551616").toUInt64());
    EXPECT_FALSE(dec("1.5").toInt64());
}

TEST(Decimal, IsAValueNumberWrittenAsAPlainJsonNumber)
{
    // A decimal-comma locale must not change how numbers are written.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    const Value price = dec("1.99").multipliedBy(Decimal(1000000));
    EXPECT_TRUE(price.isNumber());
    EXPECT_TRUE(price.boolValue());
    EXPECT_FALSE(Value(Decimal()).boolValue());
    EXPECT_EQ(price.numberValue(), 1990000.0);
    EXPECT_EQ(price.description(), "1990000");

    const Value map = Map {{"p", price}, {"f", dec("-12.375")}, {"big", dec("18446744073709551615")}};
    EXPECT_EQ(json::serialize(map), R"({"p":1990000,"f":-12.375,"big":18446744073709551615})");
    EXPECT_NE(plist::serializeXml(map).find("<integer>1990000</integer>"), std::string::npos);
    EXPECT_NE(plist::serializeXml(map).find("<real>-12.375</real>"), std::string::npos);
    std::setlocale(LC_NUMERIC, "C");
}
