// The second half of an encoding: function patterns, codeword placement,
// masking and the penalty that picks the mask.
#include "codes/qr/CQR_Encode.h"

#include "codes/qr/QrVersionTable.h"

#include <algorithm>
#include <cstdlib>

namespace ql {
namespace {

// Module bytes while the symbol is built: function modules carry 0x20 (0x30
// when dark); data modules keep the placed bit in 0x02 and the masked one in
// 0x01. Dark is whatever has 0x10 or 0x01 set.
constexpr uint8_t kFunctionLight = 0x20;
constexpr uint8_t kFunctionDark = 0x30;
constexpr uint8_t kFunctionFlag = 0x20;
constexpr uint8_t kPlacedBit = 0x02;
constexpr uint8_t kMaskedBit = 0x01;
constexpr uint8_t kDarkBits = 0x11;

constexpr uint8_t kFinderRows[7] = {0x7F, 0x41, 0x5D, 0x5D, 0x5D, 0x41, 0x7F};
constexpr uint8_t kAlignmentRows[5] = {0x1F, 0x11, 0x15, 0x11, 0x1F};
constexpr int kFormatLevelBits[4] = {0x08, 0x00, 0x18, 0x10}; // L, M, Q, H

constexpr uint8_t functionModule(bool dark)
{
    return dark ? kFunctionDark : kFunctionLight;
}

bool maskCondition(int pattern, int i, int j)
{
    switch (pattern) {
    case 0: return (i + j) % 2 == 0;
    case 1: return i % 2 == 0;
    case 2: return j % 3 == 0;
    case 3: return (i + j) % 3 == 0;
    case 4: return (i / 2 + j / 3) % 2 == 0;
    case 5: return (i * j) % 2 + (i * j) % 3 == 0;
    case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default: return ((i * j) % 3 + (i + j) % 2) % 2 == 0;
    }
}

// Penalties of one row or column of dark (1) and light (0) modules.
int runPenalty(const uint8_t* line, int size)
{
    int penalty = 0;
    int run = 1;
    for (int k = 1; k <= size; ++k) {
        if (k < size && line[k] == line[k - 1]) {
            ++run;
            continue;
        }
        if (run >= 5)
            penalty += run - 2;
        run = 1;
    }
    return penalty;
}

int finderLikePenalty(const uint8_t* line, int size)
{
    const auto light = [line, size](int k) { return k < 0 || k >= size || line[k] == 0; };
    int penalty = 0;
    for (int j = 0; j + 7 <= size; ++j) {
        const uint8_t* m = line + j;
        if (!(m[0] && !m[1] && m[2] && m[3] && m[4] && !m[5] && m[6]))
            continue;
        if (!light(j - 1) || !light(j + 7))
            continue;
        if ((light(j - 2) && light(j - 3) && light(j - 4)) || (light(j + 8) && light(j + 9) && light(j + 10)))
            penalty += 40;
    }
    return penalty;
}

} // namespace

void CQR_Encode::formatModule()
{
    for (auto& column : m_byModuleData)
        column.fill(0);
    setFunctionModule();
    setCodeWordPattern();
    if (m_nMaskingNo == -1) {
        int best = 0;
        int bestPenalty = 0;
        for (int pattern = 0; pattern < 8; ++pattern) {
            setMaskingPattern(pattern);
            setFormatInfoPattern(pattern);
            const int penalty = countPenalty();
            // Ties keep the lower mask.
            if (pattern == 0 || penalty < bestPenalty) {
                best = pattern;
                bestPenalty = penalty;
            }
        }
        m_nMaskingNo = best;
    }
    setMaskingPattern(m_nMaskingNo);
    setFormatInfoPattern(m_nMaskingNo);
    for (int x = 0; x < m_nSymbleSize; ++x) {
        for (int y = 0; y < m_nSymbleSize; ++y)
            m_byModuleData[idx(x)][idx(y)] = (m_byModuleData[idx(x)][idx(y)] & kDarkBits) ? 1 : 0;
    }
}

void CQR_Encode::setFunctionModule()
{
    const int s = m_nSymbleSize;
    setFinderPattern(0, 0);
    setFinderPattern(s - 7, 0);
    setFinderPattern(0, s - 7);

    auto& m = m_byModuleData;
    for (int i = 0; i <= 7; ++i) {
        m[idx(i)][7] = m[7][idx(i)] = kFunctionLight;
        m[idx(s - 8)][idx(i)] = m[idx(s - 8 + i)][7] = kFunctionLight;
        m[idx(i)][idx(s - 8)] = m[7][idx(s - 8 + i)] = kFunctionLight;
    }
    // Format information goes here once the mask is known.
    for (int i = 0; i <= 8; ++i)
        m[idx(i)][8] = m[8][idx(i)] = kFunctionLight;
    for (int i = 0; i <= 7; ++i)
        m[idx(s - 8 + i)][8] = m[8][idx(s - 8 + i)] = kFunctionLight;

    setVersionPattern();

    const QrVersionInfo& info = qrVersionInfo(m_nVersion);
    for (int a = 0; a < info.alignmentCount; ++a) {
        const int p = info.alignmentCoordinates[idx(a)];
        setAlignmentPattern(p, 6);
        setAlignmentPattern(6, p);
        for (int b = 0; b < info.alignmentCount; ++b)
            setAlignmentPattern(p, info.alignmentCoordinates[idx(b)]);
    }

    for (int i = 8; i <= s - 9; ++i)
        m[idx(i)][6] = m[6][idx(i)] = functionModule(i % 2 == 0);
}

void CQR_Encode::setFinderPattern(int x, int y)
{
    for (int i = 0; i < 7; ++i) {
        for (int j = 0; j < 7; ++j)
            m_byModuleData[idx(x + j)][idx(y + i)] = functionModule(kFinderRows[i] & (1 << (6 - j)));
    }
}

void CQR_Encode::setAlignmentPattern(int x, int y)
{
    // Positions on the finder patterns are already taken.
    if (m_byModuleData[idx(x)][idx(y)] & kFunctionFlag)
        return;
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j)
            m_byModuleData[idx(x - 2 + j)][idx(y - 2 + i)] = functionModule(kAlignmentRows[i] & (1 << (4 - j)));
    }
}

void CQR_Encode::setVersionPattern()
{
    if (m_nVersion < 7)
        return;
    int remainder = m_nVersion << 12;
    for (int i = 0; i < 6; ++i) {
        if (remainder & (1 << (17 - i)))
            remainder ^= 0x1F25 << (5 - i);
    }
    const int value = (m_nVersion << 12) + remainder;
    const int s = m_nSymbleSize;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 3; ++j) {
            const uint8_t module = functionModule(value & (1 << (i * 3 + j)));
            m_byModuleData[idx(s - 11 + j)][idx(i)] = module;
            m_byModuleData[idx(i)][idx(s - 11 + j)] = module;
        }
    }
}

// Two-module columns from the right edge, alternately upwards and downwards,
// the right module of each pair first, skipping the vertical timing column.
void CQR_Encode::setCodeWordPattern()
{
    const int s = m_nSymbleSize;
    int x = s;
    int y = s - 1;
    int stepX = 1;
    int stepY = 1;
    for (int i = 0; i < m_ncAllCodeWord; ++i) {
        for (int bit = 7; bit >= 0; --bit) {
            do {
                x += stepX;
                stepX = -stepX;
                if (stepX < 0) {
                    y += stepY;
                    if (y < 0 || y == s) {
                        y = y < 0 ? 0 : s - 1;
                        stepY = -stepY;
                        x -= 2;
                        if (x == 6)
                            --x;
                    }
                }
            } while (m_byModuleData[idx(x)][idx(y)] & kFunctionFlag);
            m_byModuleData[idx(x)][idx(y)] = (m_byAllCodeWord[idx(i)] & (1 << bit)) ? kPlacedBit : 0;
        }
    }
}

void CQR_Encode::setMaskingPattern(int pattern)
{
    for (int j = 0; j < m_nSymbleSize; ++j) {
        auto& column = m_byModuleData[idx(j)];
        for (int i = 0; i < m_nSymbleSize; ++i) {
            uint8_t& module = column[idx(i)];
            if (module & kFunctionFlag)
                continue;
            const bool placed = module & kPlacedBit;
            module = static_cast<uint8_t>((module & ~kMaskedBit) | ((placed != maskCondition(pattern, i, j)) ? kMaskedBit : 0));
        }
    }
}

void CQR_Encode::setFormatInfoPattern(int pattern)
{
    const int format = kFormatLevelBits[std::min(m_nLevel, 3)] + pattern;
    int remainder = format << 10;
    for (int i = 0; i < 5; ++i) {
        if (remainder & (1 << (14 - i)))
            remainder ^= 0x537 << (4 - i);
    }
    const int value = ((format << 10) + remainder) ^ 0x5412;
    const auto bit = [value](int i) { return functionModule(value & (1 << i)); };
    const int s = m_nSymbleSize;
    auto& m = m_byModuleData;

    for (int i = 0; i <= 5; ++i)
        m[8][idx(i)] = bit(i);
    m[8][7] = bit(6);
    m[8][8] = bit(7);
    m[7][8] = bit(8);
    for (int i = 9; i <= 14; ++i)
        m[idx(14 - i)][8] = bit(i);

    for (int i = 0; i <= 7; ++i)
        m[idx(s - 1 - i)][8] = bit(i);
    m[8][idx(s - 8)] = kFunctionDark;
    for (int i = 8; i <= 14; ++i)
        m[8][idx(s - 15 + i)] = bit(i);
}

int CQR_Encode::countPenalty() const
{
    const int s = m_nSymbleSize;
    // Dark (1) or light (0), once by column and once by row, so that every
    // line is scanned as contiguous memory.
    std::array<uint8_t, kMaxSymbolSize * kMaxSymbolSize> columns;
    std::array<uint8_t, kMaxSymbolSize * kMaxSymbolSize> rows;
    int light = 0;
    for (int x = 0; x < s; ++x) {
        for (int y = 0; y < s; ++y) {
            const uint8_t dark = (m_byModuleData[idx(x)][idx(y)] & kDarkBits) ? 1 : 0;
            columns[idx(x * s + y)] = dark;
            rows[idx(y * s + x)] = dark;
            light += 1 - dark;
        }
    }

    int penalty = 0;
    for (int line = 0; line < s; ++line) {
        const uint8_t* column = columns.data() + line * s;
        const uint8_t* row = rows.data() + line * s;
        penalty += runPenalty(column, s) + runPenalty(row, s);
        penalty += finderLikePenalty(column, s) + finderLikePenalty(row, s);
    }
    for (int x = 0; x + 1 < s; ++x) {
        const uint8_t* left = columns.data() + x * s;
        const uint8_t* right = left + s;
        for (int y = 0; y + 1 < s; ++y) {
            const uint8_t v = left[y];
            if (left[y + 1] == v && right[y] == v && right[y + 1] == v)
                penalty += 3;
        }
    }
    const int percentLight = 100 * light / (s * s);
    penalty += 10 * (std::abs(50 - percentLight) / 5);
    return penalty;
}

} // namespace ql
