// The second half of an encoding: function patterns, codeword placement,
// masking and the penalty that picks the mask.
#include "codes/qr/CQR_Encode.h"

#include "codes/qr/QrBitLine.h"
#include "codes/qr/QrPenalty.h"
#include "codes/qr/QrVersionTable.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace ql {
namespace {

// Module bytes while the symbol is built: function modules carry 0x20 (0x30
// when dark); data modules 0x02 where their codeword bit is dark. Once
// masked, every module is 1 dark or 0 light.
constexpr uint8_t kFunctionLight = 0x20;
constexpr uint8_t kFunctionDark = 0x30;
constexpr uint8_t kFunctionFlag = 0x20;
constexpr uint8_t kPlacedBit = 0x02;
constexpr uint8_t kUnmaskedDarkBits = 0x12;
constexpr uint8_t kMaskedDark = 0x01;

constexpr uint8_t kFinderRows[7] = {0x7F, 0x41, 0x5D, 0x5D, 0x5D, 0x41, 0x7F};
constexpr uint8_t kAlignmentRows[5] = {0x1F, 0x11, 0x15, 0x11, 0x1F};

constexpr uint8_t functionModule(bool dark)
{
    return dark ? kFunctionDark : kFunctionLight;
}

constexpr int kFormatLevelBits[4] = {0x08, 0x00, 0x18, 0x10}; // L, M, Q, H

// Whether mask `pattern` inverts the module in row i, column j.
constexpr bool maskCondition(int pattern, int i, int j)
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

// Every mask repeats from one line to the next after at most 4 or 6 lines.
constexpr int kMaskPeriod = 12;
constexpr size_t kMaskWords = qrBitLineWords(CQR_Encode::kMaxSymbolSize);

// The modules each mask inverts, as bit lines: rows[pattern][i % 12] along
// row i, columns[pattern][j % 12] along column j.
struct MaskLines {
    uint64_t rows[8][kMaskPeriod][kMaskWords];
    uint64_t columns[8][kMaskPeriod][kMaskWords];
};

constexpr MaskLines makeMaskLines()
{
    MaskLines lines{};
    for (int pattern = 0; pattern < 8; ++pattern) {
        for (int line = 0; line < kMaskPeriod; ++line) {
            for (int module = 0; module < CQR_Encode::kMaxSymbolSize; ++module) {
                const int bit = module + QrBitLine<kMaskWords>::kPadding;
                const uint64_t word = uint64_t(1) << (bit % 64);
                if (maskCondition(pattern, line, module))
                    lines.rows[pattern][line][bit / 64] |= word;
                if (maskCondition(pattern, module, line))
                    lines.columns[pattern][line][bit / 64] |= word;
            }
        }
    }
    return lines;
}

inline constexpr MaskLines kMaskLines = makeMaskLines();

int formatValue(int level, int pattern)
{
    const int format = kFormatLevelBits[std::min(level, 3)] + pattern;
    int remainder = format << 10;
    for (int i = 0; i < 5; ++i) {
        if (remainder & (1 << (14 - i)))
            remainder ^= 0x537 << (4 - i);
    }
    return ((format << 10) + remainder) ^ 0x5412;
}

// Calls visit(x, y, dark) for each module of both copies of the format
// information, and for the dark module beside the lower one.
template <class Visit>
void forEachFormatModule(int s, int value, Visit visit)
{
    const auto bit = [value](int i) { return (value & (1 << i)) != 0; };
    for (int i = 0; i <= 5; ++i)
        visit(8, i, bit(i));
    visit(8, 7, bit(6));
    visit(8, 8, bit(7));
    visit(7, 8, bit(8));
    for (int i = 9; i <= 14; ++i)
        visit(14 - i, 8, bit(i));

    for (int i = 0; i <= 7; ++i)
        visit(s - 1 - i, 8, bit(i));
    visit(8, s - 8, true);
    for (int i = 8; i <= 14; ++i)
        visit(8, s - 15 + i, bit(i));
}

// Calls f with the word count, as a constant, that lines of `size` modules need.
template <class F>
auto withLineWords(int size, F f)
{
    switch (qrBitLineWords(size)) {
    case 1: return f(std::integral_constant<size_t, 1>{});
    case 2: return f(std::integral_constant<size_t, 2>{});
    default: return f(std::integral_constant<size_t, 3>{});
    }
}

template <size_t Words>
struct SymbolLines {
    std::array<QrBitLine<Words>, CQR_Encode::kMaxSymbolSize> rows{};
    std::array<QrBitLine<Words>, CQR_Encode::kMaxSymbolSize> columns{};

    // Sets module (x, y) in both directions when `value` is 1.
    void orModule(int x, int y, uint64_t value)
    {
        columns[static_cast<size_t>(x)].orModule(y, value);
        rows[static_cast<size_t>(y)].orModule(x, value);
    }
};

// The symbol's modules whose byte has any of `bits`, as lines.
template <size_t Words>
void readLines(const CQR_Encode::ModuleMatrix& modules, int s, uint8_t bits, SymbolLines<Words>& lines)
{
    for (int x = 0; x < s; ++x) {
        const auto& column = modules[static_cast<size_t>(x)];
        for (int y = 0; y < s; ++y)
            lines.orModule(x, y, (column[static_cast<size_t>(y)] & bits) != 0);
    }
}

// Eight modules a step: bytes are gathered into a word and their flags
// packed into eight bits with a multiplication.
static_assert(std::endian::native == std::endian::little, "module bytes are read eight to a word");
constexpr uint64_t kEachByte = 0x0101010101010101ULL;

// Bit k: whether byte k has its top bit set.
unsigned topBitsOfBytes(uint64_t bytes)
{
    return static_cast<unsigned>((((bytes >> 7) & kEachByte) * 0x0102040810204080ULL) >> 56);
}

// Byte k: 1 where bit k of `bits` is set, else 0.
uint64_t bytesOfBits(unsigned bits)
{
    const uint64_t spread = (bits * kEachByte) & 0x8040201008040201ULL;
    return ((spread + 0x7F * kEachByte) >> 7) & kEachByte;
}

// Of `count` module bytes (at most eight): bit k dark before masking, and
// bit k set when the module holds data.
void packModules(uint64_t bytes, int count, unsigned& dark, unsigned& data)
{
    // Each flag is at most 0x12, so adding 0x7F carries into the top bit of
    // its own byte only.
    dark = topBitsOfBytes((bytes & kUnmaskedDarkBits * kEachByte) + 0x7F * kEachByte);
    data = topBitsOfBytes((~bytes & kFunctionFlag * kEachByte) << 2) & ((1u << count) - 1);
}

// The placed symbol as lines: dark modules (before masking) and data modules.
template <size_t Words>
void readPlacedSymbol(const CQR_Encode::ModuleMatrix& modules, int s, SymbolLines<Words>& plain,
                      SymbolLines<Words>& data)
{
    for (int x = 0; x < s; ++x) {
        const uint8_t* column = modules[static_cast<size_t>(x)].data();
        for (int y = 0; y < s; y += 8) {
            const int count = std::min(8, s - y);
            uint64_t bytes = 0;
            std::memcpy(&bytes, column + y, static_cast<size_t>(count));
            unsigned dark = 0;
            unsigned isData = 0;
            packModules(bytes, count, dark, isData);
            plain.columns[static_cast<size_t>(x)].orByte(y, dark);
            data.columns[static_cast<size_t>(x)].orByte(y, isData);
        }
    }
    for (int x = 0; x < s; x += 8) {
        const int count = std::min(8, s - x);
        for (int y = 0; y < s; ++y) {
            uint64_t bytes = 0;
            for (int k = 0; k < count; ++k)
                bytes |= uint64_t(modules[static_cast<size_t>(x + k)][static_cast<size_t>(y)]) << (8 * k);
            unsigned dark = 0;
            unsigned isData = 0;
            packModules(bytes, count, dark, isData);
            plain.rows[static_cast<size_t>(y)].orByte(x, dark);
            data.rows[static_cast<size_t>(y)].orByte(x, isData);
        }
    }
}

// The symbol with mask `pattern` applied: the data modules inverted where
// the mask says, word by word, and the format information for the mask.
template <size_t Words>
void maskLines(const SymbolLines<Words>& plain, const SymbolLines<Words>& data, int s, int level, int pattern,
               SymbolLines<Words>& masked)
{
    using Line = QrBitLine<Words>;
    for (size_t i = 0; i < static_cast<size_t>(s); ++i) {
        const size_t phase = i % kMaskPeriod;
        masked.rows[i] = plain.rows[i] ^ (Line::fromWords(kMaskLines.rows[pattern][phase]) & data.rows[i]);
        masked.columns[i] = plain.columns[i] ^ (Line::fromWords(kMaskLines.columns[pattern][phase]) & data.columns[i]);
    }
    // The format area is light in the plain lines.
    forEachFormatModule(s, formatValue(level, pattern),
                        [&masked](int x, int y, bool dark) { masked.orModule(x, y, dark); });
}

// Masks the placed symbol, with the mask of least penalty (ties keep the
// lower) when `mask` is -1, and leaves 1 for dark and 0 for light in every
// module. The unmasked symbol is read into lines once; each mask then works
// on whole words.
template <size_t Words>
void maskSymbol(CQR_Encode::ModuleMatrix& modules, int s, int level, int& mask)
{
    // Heap rather than stack: the lines of the largest symbols take tens of
    // kilobytes, and encodings may run on threads with small stacks.
    auto work = std::make_unique<std::array<SymbolLines<Words>, 3>>();
    SymbolLines<Words>& plain = (*work)[0];
    SymbolLines<Words>& data = (*work)[1];
    SymbolLines<Words>& masked = (*work)[2];
    readPlacedSymbol(modules, s, plain, data);

    if (mask == -1) {
        const QrPenalty<Words> penalty(s);
        int bestPenalty = 0;
        for (int pattern = 0; pattern < 8; ++pattern) {
            maskLines(plain, data, s, level, pattern, masked);
            const int value = penalty.of(masked.rows.data(), masked.columns.data());
            if (pattern == 0 || value < bestPenalty) {
                mask = pattern;
                bestPenalty = value;
            }
        }
    }
    maskLines(plain, data, s, level, mask, masked);
    for (int x = 0; x < s; ++x) {
        uint8_t* column = modules[static_cast<size_t>(x)].data();
        const QrBitLine<Words>& line = masked.columns[static_cast<size_t>(x)];
        for (int y = 0; y < s; y += 8) {
            const uint64_t bytes = bytesOfBits(line.byteAt(y));
            std::memcpy(column + y, &bytes, static_cast<size_t>(std::min(8, s - y)));
        }
    }
}

} // namespace

void CQR_Encode::formatModule()
{
    const int s = m_nSymbleSize;
    for (int x = 0; x < s; ++x)
        std::fill_n(m_byModuleData[idx(x)].begin(), s, uint8_t(0));
    setFunctionModule();
    setCodeWordPattern();
    withLineWords(s, [this](auto words) {
        maskSymbol<decltype(words)::value>(m_byModuleData, m_nSymbleSize, m_nLevel, m_nMaskingNo);
    });
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
// Modules left over after the last codeword stay light.
void CQR_Encode::setCodeWordPattern()
{
    const int s = m_nSymbleSize;
    const unsigned bits = static_cast<unsigned>(m_ncAllCodeWord) * 8;
    unsigned bit = 0;
    const auto place = [&](uint8_t& module) {
        if ((module & kFunctionFlag) || bit >= bits)
            return;
        module = ((m_byAllCodeWord[bit / 8] >> (7 - bit % 8)) & 1u) ? kPlacedBit : 0;
        ++bit;
    };
    bool upwards = true;
    for (int right = s - 1; right >= 1 && bit < bits; right -= 2) {
        if (right == 6)
            right = 5;
        auto& rightColumn = m_byModuleData[idx(right)];
        auto& leftColumn = m_byModuleData[idx(right - 1)];
        for (int k = 0; k < s; ++k) {
            const size_t y = idx(upwards ? s - 1 - k : k);
            place(rightColumn[y]);
            place(leftColumn[y]);
        }
        upwards = !upwards;
    }
}

int CQR_Encode::countPenalty() const
{
    return withLineWords(m_nSymbleSize, [this](auto words) {
        constexpr size_t Words = decltype(words)::value;
        auto lines = std::make_unique<SymbolLines<Words>>();
        readLines(m_byModuleData, m_nSymbleSize, kMaskedDark, *lines);
        return QrPenalty<Words>(m_nSymbleSize).of(lines->rows.data(), lines->columns.data());
    });
}

} // namespace ql
