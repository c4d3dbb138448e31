// The second half of an encoding: function patterns, codeword placement,
// masking and the penalty that picks the mask.
#include "codes/qr/CQR_Encode.h"

#include "codes/qr/QrBitLine.h"
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

// Sets the masked bit of every data module to its placed bit XOR the mask's
// condition (i the row, j the column); the placed bit stays for the next mask.
template <class Condition>
void applyMask(CQR_Encode::ModuleMatrix& modules, int size, Condition condition)
{
    for (int j = 0; j < size; ++j) {
        auto& column = modules[static_cast<size_t>(j)];
        for (int i = 0; i < size; ++i) {
            // Without a branch: function modules never have the masked bit
            // set, and the product with the inverted function flag keeps it so.
            uint8_t& module = column[static_cast<size_t>(i)];
            const unsigned placed = (module & kPlacedBit) >> 1;
            const unsigned dataModule = ((module & kFunctionFlag) >> 5) ^ 1u;
            const unsigned masked = (placed ^ static_cast<unsigned>(condition(i, j))) & dataModule;
            module = static_cast<uint8_t>((module & ~kMaskedBit) | masked);
        }
    }
}

// Runs of five or more modules of one colour cost n - 2 each: one per
// window of five alike, plus two for the window that starts the run.
int runPenalty(const QrBitLine& line, const QrBitLine& windows, const QrBitLine& firstModule)
{
    const QrBitLine same = ~(line ^ line.at(1));
    const QrBitLine five = same & same.at(1) & same.at(2) & same.at(3) & windows;
    const QrBitLine starts = five & (~same.at(-1) | firstModule);
    return five.count() + 2 * starts.count();
}

// 2 x 2 squares of one colour between two neighbouring lines.
int blockCount(const QrBitLine& a, const QrBitLine& b, const QrBitLine& pairs)
{
    const QrBitLine across = ~(a ^ b);
    const QrBitLine along = ~(a ^ a.at(1));
    return (across & across.at(1) & along & pairs).count();
}

// Dark, light, three dark, light, dark, with a light module on each side and
// three more on at least one side; outside the symbol counts as light.
int finderLikeCount(const QrBitLine& dark)
{
    const QrBitLine light = ~dark;
    const QrBitLine core = dark & light.at(1) & dark.at(2) & dark.at(3) & dark.at(4) & light.at(5) & dark.at(6)
        & light.at(-1) & light.at(7);
    const QrBitLine quiet = (light.at(-2) & light.at(-3) & light.at(-4)) | (light.at(8) & light.at(9) & light.at(10));
    return (core & quiet).count();
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
    auto& m = m_byModuleData;
    const int s = m_nSymbleSize;
    switch (pattern) {
    case 0: applyMask(m, s, [](int i, int j) { return (i + j) % 2 == 0; }); break;
    case 1: applyMask(m, s, [](int i, int) { return i % 2 == 0; }); break;
    case 2: applyMask(m, s, [](int, int j) { return j % 3 == 0; }); break;
    case 3: applyMask(m, s, [](int i, int j) { return (i + j) % 3 == 0; }); break;
    case 4: applyMask(m, s, [](int i, int j) { return (i / 2 + j / 3) % 2 == 0; }); break;
    case 5: applyMask(m, s, [](int i, int j) { return (i * j) % 2 + (i * j) % 3 == 0; }); break;
    case 6: applyMask(m, s, [](int i, int j) { return ((i * j) % 2 + (i * j) % 3) % 2 == 0; }); break;
    default: applyMask(m, s, [](int i, int j) { return ((i * j) % 3 + (i + j) % 2) % 2 == 0; }); break;
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
    std::array<QrBitLine, kMaxSymbolSize> columns{};
    std::array<QrBitLine, kMaxSymbolSize> rows{};
    int dark = 0;
    for (int x = 0; x < s; ++x) {
        const auto& column = m_byModuleData[idx(x)];
        for (int y = 0; y < s; ++y) {
            const uint64_t isDark = (column[idx(y)] & kDarkBits) != 0;
            columns[idx(x)].orModule(y, isDark);
            rows[idx(y)].orModule(x, isDark);
            dark += static_cast<int>(isDark);
        }
    }

    constexpr int p = QrBitLine::kPadding;
    const QrBitLine windows = QrBitLine::range(p, p + s - 5);
    const QrBitLine firstModule = QrBitLine::range(p, p);
    const QrBitLine pairs = QrBitLine::range(p, p + s - 2);
    int penalty = 0;
    for (int line = 0; line < s; ++line) {
        const QrBitLine& column = columns[idx(line)];
        const QrBitLine& row = rows[idx(line)];
        penalty += runPenalty(column, windows, firstModule) + runPenalty(row, windows, firstModule);
        penalty += 40 * (finderLikeCount(column) + finderLikeCount(row));
        if (line + 1 < s)
            penalty += 3 * blockCount(column, columns[idx(line + 1)], pairs);
    }
    // The balance rule counts light modules.
    const int percentLight = 100 * (s * s - dark) / (s * s);
    penalty += 10 * (std::abs(50 - percentLight) / 5);
    return penalty;
}

} // namespace ql
