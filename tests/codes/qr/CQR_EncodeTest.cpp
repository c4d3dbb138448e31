#include "codes/qr/CQR_Encode.h"
#include "codes/qr/QrGaloisField.h"
#include "codes/qr/QrSegmentList.h"
#include "codes/qr/QrVersionTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace ql {

using Mode = CQR_Encode::Mode;

class CQR_EncodeTest : public ::testing::Test {
protected:
    // Encodes `text` (all of it) and keeps the encoder for inspection.
    CQR_Encode& encode(const std::string& text, int level, int version = 0, int mask = -1)
    {
        encoder = std::make_unique<CQR_Encode>();
        ok = encoder->encodeData(level, version, true, mask, text.data(), static_cast<int>(text.size()));
        return *encoder;
    }

    // The penalty of a hand-made square matrix whose every row is `row`
    // ('X' dark, '.' light).
    int penaltyOfRepeatedRow(const std::string& row) { return penaltyOf(std::vector<std::string>(row.size(), row)); }

    int penaltyOf(const std::vector<std::string>& rows)
    {
        encoder = std::make_unique<CQR_Encode>();
        encoder->m_nSymbleSize = static_cast<int>(rows.size());
        for (size_t y = 0; y < rows.size(); ++y) {
            for (size_t x = 0; x < rows[y].size(); ++x)
                encoder->m_byModuleData[x][y] = rows[y][x] == 'X' ? 1 : 0;
        }
        return encoder->countPenalty();
    }

    std::unique_ptr<CQR_Encode> encoder;
    bool ok = false;
};

namespace {

struct SegmentCase {
    std::string text;
    std::vector<CQR_Encode::Segment> segments;
};

// The mask penalty counted module by module, as a person would: `dark`
// returns one module, outside the symbol light.
template <class Dark>
int referencePenalty(int s, Dark dark)
{
    int penalty = 0;
    for (const bool alongRow : {true, false}) {
        for (int line = 0; line < s; ++line) {
            const auto m = [&](int k) { return k >= 0 && k < s && (alongRow ? dark(k, line) : dark(line, k)); };
            int run = 1;
            for (int k = 1; k <= s; ++k) {
                if (k < s && m(k) == m(k - 1)) {
                    ++run;
                    continue;
                }
                if (run >= 5)
                    penalty += run - 2;
                run = 1;
            }
            for (int k = 0; k + 7 <= s; ++k) {
                const bool core = !m(k - 1) && m(k) && !m(k + 1) && m(k + 2) && m(k + 3) && m(k + 4) && !m(k + 5)
                    && m(k + 6) && !m(k + 7);
                const bool quiet = (!m(k - 2) && !m(k - 3) && !m(k - 4)) || (!m(k + 8) && !m(k + 9) && !m(k + 10));
                if (core && quiet)
                    penalty += 40;
            }
        }
    }
    int light = 0;
    for (int x = 0; x < s; ++x) {
        for (int y = 0; y < s; ++y) {
            light += !dark(x, y);
            if (x + 1 < s && y + 1 < s && dark(x, y) == dark(x + 1, y) && dark(x, y) == dark(x, y + 1)
                && dark(x, y) == dark(x + 1, y + 1))
                penalty += 3;
        }
    }
    return penalty + 10 * (std::abs(50 - 100 * light / (s * s)) / 5);
}

std::string repeated(const std::string& piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

} // namespace

TEST_F(CQR_EncodeTest, SegmentsMergeWhereThatIsShorter)
{
    // A1 as one alphanumeric segment: 37 bits apart against 24 together.
    EXPECT_EQ(CQR_Encode::getBitLength(Mode::ModeAlphabet, 1, 0) + CQR_Encode::getBitLength(Mode::ModeNumeral, 1, 0), 37);
    EXPECT_EQ(CQR_Encode::getBitLength(Mode::ModeAlphabet, 2, 0), 24);
    // a1 as one 8-bit segment: 38 against 28; a and 20 digits stay apart: 101 against 180.
    EXPECT_EQ(CQR_Encode::getBitLength(Mode::Mode8Bit, 2, 0), 28);
    EXPECT_EQ(CQR_Encode::getBitLength(Mode::Mode8Bit, 1, 0) + CQR_Encode::getBitLength(Mode::ModeNumeral, 20, 0), 101);

    const std::vector<SegmentCase> cases = {
        {"A1", {{Mode::ModeAlphabet, 2}}},
        {"a1", {{Mode::Mode8Bit, 2}}},
        {"a" + std::string(20, '7'), {{Mode::Mode8Bit, 1}, {Mode::ModeNumeral, 20}}},
        {"HELLO WORLD", {{Mode::ModeAlphabet, 11}}},
        {"hello 12345678901234567890 WORLD",
         {{Mode::Mode8Bit, 6}, {Mode::ModeNumeral, 20}, {Mode::ModeAlphabet, 6}}},
        {"0123456789012345ABCDEFGHIJKLMNOP", {{Mode::ModeNumeral, 16}, {Mode::ModeAlphabet, 16}}},
    };
    for (const SegmentCase& c : cases) {
        encode(c.text, QrLevelL);
        ASSERT_TRUE(ok) << c.text;
        EXPECT_EQ(encoder->segments(), c.segments) << c.text;
    }

    // Thousands of class changes that merge into one segment still encode.
    encode(repeated("A1", 2000), QrLevelL);
    ASSERT_TRUE(ok);
    EXPECT_EQ(encoder->segments(), (std::vector<CQR_Encode::Segment>{{Mode::ModeAlphabet, 4000}}));
    EXPECT_EQ(encoder->version(), 39); // 22017 bits
}

TEST_F(CQR_EncodeTest, SegmentListJoinsAsAPlainListWould)
{
    // Joins wander forward and back as the merging passes do; the list must
    // end as a plain vector with the same joins, lengths never mixed.
    std::mt19937 random(12);
    for (int round = 0; round < 200; ++round) {
        std::vector<CQR_Encode::Segment> plain;
        const int count = std::uniform_int_distribution<int>(2, 60)(random);
        for (int i = 0; i < count; ++i)
            plain.push_back({static_cast<uint8_t>(i % 3), i + 1});
        QrSegmentList list(plain);
        int n = 0;
        while (n < list.size() - 1) {
            const int step = std::uniform_int_distribution<int>(0, 5)(random);
            if (step < 2) {
                ++n;
                continue;
            }
            const int into = step == 2 ? n + 1 : n;
            const int removed = step == 2 ? n : n + 1;
            if (n + 2 < list.size()) {
                EXPECT_EQ(list[n + 2], plain[static_cast<size_t>(n + 2)]);
            }
            list.join(into, removed);
            plain[static_cast<size_t>(into)].length += plain[static_cast<size_t>(removed)].length;
            plain.erase(plain.begin() + removed);
            n = std::max(0, n - step % 2);
        }
        EXPECT_EQ(std::move(list).release(), plain) << "round " << round;
    }
}

TEST_F(CQR_EncodeTest, CapacitiesOfTheSmallestAndLargestVersions)
{
    struct Capacity {
        int version;
        int level;
        int digits, alphanumerics, bytes;
    };
    const Capacity capacities[] = {
        {1, QrLevelL, 41, 25, 17},       {1, QrLevelM, 34, 20, 14},       {1, QrLevelQ, 27, 16, 11},
        {1, QrLevelH, 17, 10, 7},        {40, QrLevelL, 7089, 4296, 2953}, {40, QrLevelM, 5596, 3391, 2331},
        {40, QrLevelQ, 3993, 2420, 1663}, {40, QrLevelH, 3057, 1852, 1273},
    };
    for (const Capacity& c : capacities) {
        const std::pair<char, int> kinds[] = {{'7', c.digits}, {'Z', c.alphanumerics}, {'z', c.bytes}};
        for (const auto& [character, count] : kinds) {
            SCOPED_TRACE(testing::Message() << "level " << c.level << " '" << character << "' x " << count);
            encode(std::string(static_cast<size_t>(count), character), c.level);
            ASSERT_TRUE(ok);
            EXPECT_EQ(encoder->version(), c.version);
            encode(std::string(static_cast<size_t>(count) + 1, character), c.level);
            if (c.version == 40) {
                EXPECT_FALSE(ok);
                EXPECT_EQ(encoder->symbleSize(), 0);
            } else {
                ASSERT_TRUE(ok);
                EXPECT_EQ(encoder->version(), 2);
            }
        }
    }
    // 7089 digits fill version 40-L to the last bit: no room for a terminator.
    encode(std::string(7089, '1'), QrLevelL);
    EXPECT_EQ(encoder->dataBitLength(), 23648);
}

TEST_F(CQR_EncodeTest, TerminatorAndPadCodewords)
{
    // Version 1-L holds 152 data bits. 41 digits take 151, 40 take 148.
    encode(std::string(41, '5'), QrLevelL);
    EXPECT_EQ(encoder->dataBitLength(), 152);
    encode(std::string(40, '5'), QrLevelL);
    EXPECT_EQ(encoder->dataBitLength(), 152);
    encode(std::string(39, '5'), QrLevelL);
    EXPECT_EQ(encoder->dataBitLength(), 144 + 4);

    // Three bytes and the terminator fill five codewords; fourteen pads follow.
    encode("abc", QrLevelL);
    ASSERT_TRUE(ok);
    const std::vector<uint8_t> expected = {0x40, 0x36, 0x16, 0x26, 0x30, 0xEC, 0x11, 0xEC, 0x11, 0xEC,
                                           0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
    const auto data = encoder->dataCodeWords(19);
    EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.end()), expected);
}

TEST_F(CQR_EncodeTest, StandardWorkedExampleAtVersionOneM)
{
    encode("01234567", QrLevelM, 1);
    ASSERT_TRUE(ok);
    EXPECT_EQ(encoder->version(), 1);
    const std::vector<uint8_t> data = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11,
                                       0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
    const std::vector<uint8_t> correction = {0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55};
    std::vector<uint8_t> all = data;
    all.insert(all.end(), correction.begin(), correction.end());
    const auto codewords = encoder->allCodeWords();
    EXPECT_EQ(std::vector<uint8_t>(codewords.begin(), codewords.end()), all);

    // The generator polynomials behind it, from the standard's annex.
    const auto& g7 = qrgf::kGenerators[7].exponents;
    EXPECT_EQ(std::vector<int>(g7.begin(), g7.begin() + 7), (std::vector<int>{87, 229, 146, 149, 238, 102, 21}));
    const auto& g10 = qrgf::kGenerators[10].exponents;
    EXPECT_EQ(std::vector<int>(g10.begin(), g10.begin() + 10),
              (std::vector<int>{251, 67, 46, 61, 118, 70, 64, 94, 32, 45}));
}

TEST_F(CQR_EncodeTest, VersionRequestsAndBlockInterleaving)
{
    // A requested version 10 keeps the count widths of versions 10-26.
    encode("1", QrLevelL, 10);
    ASSERT_TRUE(ok);
    EXPECT_EQ(encoder->version(), 10);
    EXPECT_EQ(encoder->symbleSize(), 57);
    const auto head = encoder->dataCodeWords(4);
    EXPECT_EQ(std::vector<uint8_t>(head.begin(), head.end()), (std::vector<uint8_t>{0x10, 0x01, 0x10, 0xEC}));

    // 0 and -1 both ask for the smallest version.
    std::vector<bool> zero, negative;
    encode("Requests of 0 and -1", QrLevelQ, 0);
    for (int x = 0; x < encoder->symbleSize(); ++x)
        zero.push_back(encoder->isDark(x, x));
    encode("Requests of 0 and -1", QrLevelQ, -1);
    for (int x = 0; x < encoder->symbleSize(); ++x)
        negative.push_back(encoder->isDark(x, x));
    EXPECT_EQ(zero, negative);

    // Version 5-Q: blocks of 15, 15, 16 and 16 data codewords; the two
    // sixteenth codewords come last among the data, at 60 and 61.
    const QrVersionInfo& v5 = qrVersionInfo(5);
    EXPECT_EQ(v5.totalCodewords, 134);
    EXPECT_EQ(v5.dataCodewords, (std::array<int, 4>{108, 86, 62, 46}));
    encode(std::string(50, 'q'), QrLevelQ, 5);
    ASSERT_TRUE(ok);
    ASSERT_EQ(encoder->version(), 5);
    const auto data = encoder->dataCodeWords(62);
    const auto all = encoder->allCodeWords();
    ASSERT_EQ(all.size(), 134u);
    EXPECT_EQ(all[0], data[0]);
    EXPECT_EQ(all[1], data[15]);
    EXPECT_EQ(all[2], data[30]);
    EXPECT_EQ(all[3], data[46]);
    EXPECT_EQ(all[56], data[14]);
    EXPECT_EQ(all[59], data[60]);
    EXPECT_EQ(all[60], data[45]);
    EXPECT_EQ(all[61], data[61]);

    // Out-of-range arguments are refused rather than read past the tables.
    EXPECT_FALSE(CQR_Encode().encodeData(QrLevelL, 41, true, -1, "1", 1));
    EXPECT_FALSE(CQR_Encode().encodeData(7, 0, true, -1, "1", 1));
    EXPECT_FALSE(CQR_Encode().encodeData(-1, 0, true, -1, "1", 1));
    EXPECT_FALSE(CQR_Encode().encodeData(QrLevelL, 0, true, 8, "1", 1));
    EXPECT_FALSE(CQR_Encode().encodeData(QrLevelL, 0, true, -1, "", 0));
    // Without auto-extension a fixed version too small fails.
    EXPECT_FALSE(CQR_Encode().encodeData(QrLevelL, 1, false, -1, std::string(42, '1').c_str(), 0));
    EXPECT_FALSE(CQR_Encode().encodeData(QrLevelL, -1, false, -1, "1", 0));
}

TEST_F(CQR_EncodeTest, AllThirtyTwoFormatWords)
{
    // Level L, M, Q, H by mask 0-7, as the standard lists them.
    const int formats[4][8] = {
        {0x77C4, 0x72F3, 0x7DAA, 0x789D, 0x662F, 0x6318, 0x6C41, 0x6976},
        {0x5412, 0x5125, 0x5E7C, 0x5B4B, 0x45F9, 0x40CE, 0x4F97, 0x4AA0},
        {0x355F, 0x3068, 0x3F31, 0x3A06, 0x24B4, 0x2183, 0x2EDA, 0x2BED},
        {0x1689, 0x13BE, 0x1CE7, 0x19D0, 0x0762, 0x0255, 0x0D0C, 0x083B},
    };
    for (int level = 0; level < 4; ++level) {
        for (int mask = 0; mask < 8; ++mask) {
            const CQR_Encode& e = encode("FORMAT", level, 0, mask);
            ASSERT_TRUE(ok);
            EXPECT_EQ(e.maskingNo(), mask);
            const int s = e.symbleSize();
            int first = 0, second = 0;
            for (int i = 0; i < 15; ++i) {
                // Around the top-left finder: down column 8, then along row 8.
                const int x1 = i <= 8 ? 8 : 14 - i;
                const int y1 = i <= 5 ? i : i <= 7 ? i + 1 : 8;
                const bool around = i == 8 ? e.isDark(7, 8) : e.isDark(x1, y1);
                // The copy: row 8 from the right edge, then column 8 near the bottom.
                const bool copy = i <= 7 ? e.isDark(s - 1 - i, 8) : e.isDark(8, s - 15 + i);
                first |= around << i;
                second |= copy << i;
            }
            EXPECT_EQ(first, formats[level][mask]) << "level " << level << " mask " << mask;
            EXPECT_EQ(second, formats[level][mask]) << "level " << level << " mask " << mask;
            EXPECT_TRUE(e.isDark(8, s - 8));
        }
    }
}

TEST_F(CQR_EncodeTest, VersionWordsFromVersionSeven)
{
    const int words[] = {0x07C94, 0x085BC, 0x09A99, 0x0A4D3, 0x0BBF6, 0x0C762, 0x0D847, 0x0E60D, 0x0F928,
                         0x10B78, 0x1145D, 0x12A17, 0x13532, 0x149A6, 0x15683, 0x168C9, 0x177EC, 0x18EC4,
                         0x191E1, 0x1AFAB, 0x1B08E, 0x1CC1A, 0x1D33F, 0x1ED75, 0x1F250, 0x209D5, 0x216F0,
                         0x228BA, 0x2379F, 0x24B0B, 0x2542E, 0x26A64, 0x27541, 0x28C69};
    for (int version = 7; version <= 40; ++version) {
        const CQR_Encode& e = encode("V", QrLevelH, version);
        ASSERT_TRUE(ok);
        ASSERT_EQ(e.symbleSize(), version * 4 + 17);
        const int s = e.symbleSize();
        int topRight = 0, bottomLeft = 0;
        for (int i = 0; i < 6; ++i) {
            for (int j = 0; j < 3; ++j) {
                topRight |= e.isDark(s - 11 + j, i) << (3 * i + j);
                bottomLeft |= e.isDark(i, s - 11 + j) << (3 * i + j);
            }
        }
        EXPECT_EQ(topRight, words[version - 7]) << "version " << version;
        EXPECT_EQ(bottomLeft, words[version - 7]) << "version " << version;
    }
}

TEST_F(CQR_EncodeTest, AlignmentPatternCentres)
{
    const auto isAlignmentAt = [](const CQR_Encode& e, int cx, int cy) {
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                const bool ring1 = std::max(std::abs(dx), std::abs(dy)) == 1;
                if (e.isDark(cx + dx, cy + dy) == ring1)
                    return false;
            }
        }
        return true;
    };
    EXPECT_EQ(qrVersionInfo(7).alignmentCount, 2);
    EXPECT_EQ(qrVersionInfo(7).alignmentCoordinates[0], 22);
    EXPECT_EQ(qrVersionInfo(7).alignmentCoordinates[1], 38);

    const CQR_Encode& v7 = encode("ALIGN", QrLevelM, 7);
    ASSERT_TRUE(ok);
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{22, 22}, {22, 38}, {38, 22}, {38, 38}, {22, 6}, {6, 22}})
        EXPECT_TRUE(isAlignmentAt(v7, x, y)) << x << "," << y;
    // Those positions belong to the finder patterns.
    EXPECT_FALSE(isAlignmentAt(v7, 38, 6));
    EXPECT_FALSE(isAlignmentAt(v7, 6, 38));

    const std::vector<int> coordinates = {6, 30, 58, 86, 114, 142, 170};
    const QrVersionInfo& info = qrVersionInfo(40);
    EXPECT_EQ(std::vector<int>(info.alignmentCoordinates.begin(), info.alignmentCoordinates.end()),
              std::vector<int>(coordinates.begin() + 1, coordinates.end()));
    const CQR_Encode& v40 = encode("ALIGN", QrLevelM, 40);
    ASSERT_TRUE(ok);
    int patterns = 0;
    for (int x : coordinates) {
        for (int y : coordinates) {
            const bool onFinder = (x == 6 && y == 6) || (x == 6 && y == 170) || (x == 170 && y == 6);
            EXPECT_EQ(isAlignmentAt(v40, x, y), !onFinder) << x << "," << y;
            patterns += isAlignmentAt(v40, x, y);
        }
    }
    EXPECT_EQ(patterns, 46);
}

TEST_F(CQR_EncodeTest, PenaltyRulesOnHandMadeMatrices)
{
    // All light, 21 x 21: runs 42 x 19, blocks 400 x 3, balance 10 x 10.
    EXPECT_EQ(penaltyOfRepeatedRow(std::string(21, '.')), 798 + 1200 + 100);
    EXPECT_EQ(penaltyOfRepeatedRow(std::string(21, 'X')), 798 + 1200 + 100);

    // A checkerboard scores nothing: 220 light of 441 is 49 %.
    std::vector<std::string> checkerboard;
    for (int y = 0; y < 21; ++y) {
        std::string row;
        for (int x = 0; x < 21; ++x)
            row += (x + y) % 2 == 0 ? 'X' : '.';
        checkerboard.push_back(row);
    }
    EXPECT_EQ(penaltyOf(checkerboard), 0);

    // Every row a finder-like pattern at the edge: 7 x 40; columns are runs
    // of 7 (7 x 5); the three dark middle columns make 12 blocks; 28 % light.
    EXPECT_EQ(penaltyOfRepeatedRow("X.XXX.X"), 280 + 35 + 36 + 40);
    // Light on both sides and the edge beyond: 9 x 40, 9 x 7 runs, 16 blocks, 44 %.
    EXPECT_EQ(penaltyOfRepeatedRow(".X.XXX.X."), 360 + 63 + 48 + 10);
    // A dark module right before it spoils the pattern.
    EXPECT_EQ(penaltyOfRepeatedRow("XX.XXX.X."), 0 + 63 + 72 + 30);
    // Only one light module on either side is not enough ...
    EXPECT_EQ(penaltyOfRepeatedRow("X..X.XXX.X..X"), 0 + 143 + 144 + 0);
    // ... three more light ones behind it (the edge counting as light) are.
    EXPECT_EQ(penaltyOfRepeatedRow("X..X.XXX.X..."), 520 + 143 + 180 + 0);
}

TEST_F(CQR_EncodeTest, PenaltyAndMaskChoiceAgreeWithAModuleByModuleCount)
{
    // Random matrices of every width class of the bit lines (one, two and
    // three words), light or dark or even, with planted finder-like patterns.
    std::mt19937 random(46);
    for (int round = 0; round < 60; ++round) {
        const int sizes[] = {21, 49, 50, 51, 113, 114, 115, 177};
        const int s = round < 8 ? sizes[round] : std::uniform_int_distribution<int>(21, 177)(random);
        std::bernoulli_distribution isDark(0.1 + 0.2 * (round % 5));
        std::vector<std::string> rows(static_cast<size_t>(s), std::string(static_cast<size_t>(s), '.'));
        for (auto& row : rows) {
            for (char& module : row)
                module = isDark(random) ? 'X' : '.';
        }
        std::uniform_int_distribution<int> place(0, s - 1);
        for (int planted = 0; planted < 12; ++planted) {
            const int y = place(random);
            const int x = std::uniform_int_distribution<int>(0, s - 7)(random);
            rows[static_cast<size_t>(y)].replace(static_cast<size_t>(x), 7, "X.XXX.X");
        }
        const auto dark = [&rows](int x, int y) { return rows[size_t(y)][size_t(x)] == 'X'; };
        EXPECT_EQ(penaltyOf(rows), referencePenalty(s, dark)) << "size " << s << ", round " << round;
    }

    // Real symbols in each width class: the chosen mask has the least
    // penalty of the eight, ties going to the lower.
    const std::string texts[] = {"HELLO", std::string(120, 'a'), std::string(700, 'q') + "0123456789",
                                 repeated("https://example.org/?q=", 40)};
    for (const std::string& text : texts) {
        for (int level = QrLevelL; level <= QrLevelH; level += 3) {
            int best = -1;
            int bestPenalty = 0;
            for (int mask = 0; mask < 8; ++mask) {
                const CQR_Encode& forced = encode(text, level, 0, mask);
                ASSERT_TRUE(ok);
                const auto dark = [&forced](int x, int y) { return forced.isDark(x, y); };
                const int penalty = referencePenalty(forced.symbleSize(), dark);
                if (best < 0 || penalty < bestPenalty) {
                    best = mask;
                    bestPenalty = penalty;
                }
            }
            const CQR_Encode& chosen = encode(text, level);
            ASSERT_TRUE(ok);
            EXPECT_EQ(chosen.maskingNo(), best) << text.size() << " characters at level " << level;
        }
    }
}

} // namespace ql
