// Bar texts, bar strings and code characters.
#include "codes/barcodes/BCCodeCharacter.h"
#include "codes/barcodes/BCMutableBarString.h"

#include <QtTest/QTest>
#include <gtest/gtest.h>

using namespace ql;

TEST(BarString, TextConversionSkipsBlanksAndWarnsAboutIllegalCharacters)
{
    EXPECT_EQ(StringFromBCBarString(BCBarStringFromString(u"1 0 1")), "101");
    QTest::ignoreMessage(QtWarningMsg, "Warning: illegal bar type 120 at index 2 in '10x1'");
    EXPECT_EQ(StringFromBCBarString(BCBarStringFromString(u"10x1")), "101");
    EXPECT_EQ(StringFromBCBarString(BCBarStringFromString(u"0101111")), "0101111");
    EXPECT_EQ(StringFromBCBarString(BCBarStringFromString(u"01,`<=>")), "01,`<=>");
    EXPECT_EQ(BCBarStringFromString(u"").length(), 0u);
}

TEST(BarString, EmptyStringBeginsAndEndsWithNoBar)
{
    const BCBarString empty = BCBarString::string();
    EXPECT_EQ(empty.length(), 0u);
    for (BCBarKind bar : {BCBar::Space, BCBar::Full, BCBar::LowerHalf}) {
        EXPECT_FALSE(empty.beginsWithBar(bar));
        EXPECT_FALSE(empty.endsWithBar(bar));
    }
    const BCBarString bars = BCBarStringFromString(u"10,");
    EXPECT_TRUE(bars.beginsWithBar(BCBar::Full));
    EXPECT_TRUE(bars.endsWithBar(BCBar::LowerHalf));
    EXPECT_EQ(bars.barAtIndex(1), BCBar::Space);
    EXPECT_EQ(BCBarString::stringWithBar(BCBar::MiddleThird), BCBarStringFromString(u"="));
    EXPECT_EQ(bars, BCBarStringFromString(u"10,"));
    EXPECT_NE(bars, BCBarStringFromString(u"101"));
}

TEST(BarString, MutableStringBuildsAndEnumerationStops)
{
    BCMutableBarString bars;
    bars.appendBar(BCBar::Full);
    bars.appendBarString(BCBarStringFromString(u"00"));
    bars.insertBar(BCBar::UpperHalf, 1);
    EXPECT_EQ(StringFromBCBarString(bars), "1`00");
    std::vector<size_t> visited;
    bars.enumerateBarsUsingBlock([&](BCBarKind, size_t index, bool& stop) {
        visited.push_back(index);
        stop = index == 1;
    });
    EXPECT_EQ(visited, (std::vector<size_t>{0, 1}));
}

TEST(CodeCharacter, KeepsItsOwnCopyAndFlagsBars)
{
    BCMutableBarString bars(BCBarStringFromString(u"0101"));
    const BCCodeCharacter character(bars, true);
    bars.appendBar(BCBar::Full);
    EXPECT_EQ(StringFromBCBarString(character.barString()), "0101");
    EXPECT_TRUE(character.isMarker());
    std::vector<bool> flags;
    character.enumerateBarsUsingBlock([&](BCBarKind, bool isBar, size_t, bool&) { flags.push_back(isBar); });
    EXPECT_EQ(flags, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(character.description(), "<BCCodeCharacter bars='0101'>");
}
