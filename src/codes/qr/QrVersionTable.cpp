#include "codes/qr/QrVersionTable.h"

#include <cstddef>

namespace ql {
namespace {

// Error-correction codewords per block and number of blocks by level (L, M,
// Q, H) and version; everything else in the table follows from these and from
// the symbol geometry.
constexpr int kEccPerBlock[kQrLevelCount][kQrMaxVersion + 1] = {
    {0, 7, 10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0, 10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {0, 13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0, 17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
};

constexpr int kBlockCount[kQrLevelCount][kQrMaxVersion + 1] = {
    {0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 4, 4, 4, 4, 4, 6, 6, 6, 6, 7, 8,
     8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {0, 1, 1, 1, 2, 2, 4, 4, 4, 5, 5, 5, 8, 9, 9, 10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {0, 1, 1, 2, 2, 4, 4, 6, 6, 8, 8, 8, 10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {0, 1, 1, 2, 4, 4, 4, 5, 6, 8, 8, 11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
};

// Modules left for codewords once every function pattern is drawn.
constexpr int dataModules(int version)
{
    int modules = (16 * version + 128) * version + 64;
    if (version >= 2) {
        const int alignments = version / 7 + 2;
        modules -= (25 * alignments - 10) * alignments - 55;
        if (version >= 7)
            modules -= 36; // two version-information blocks
    }
    return modules;
}

constexpr QrVersionInfo makeVersionInfo(int version)
{
    QrVersionInfo info;
    info.version = version;
    info.totalCodewords = dataModules(version) / 8;
    if (version >= 2) {
        // Coordinates are spaced evenly back from the far edge; version 32 is
        // the one exception the standard makes to the rounding.
        const int count = version / 7 + 2;
        const int step = version == 32 ? 26 : (version * 4 + count * 2 + 1) / (count * 2 - 2) * 2;
        info.alignmentCount = count - 1;
        int position = version * 4 + 17 - 7;
        for (int i = count - 2; i >= 0; --i, position -= step)
            info.alignmentCoordinates[static_cast<size_t>(i)] = position;
    }
    for (int level = 0; level < kQrLevelCount; ++level) {
        const auto l = static_cast<size_t>(level);
        const int blocks = kBlockCount[level][version];
        const int ecc = kEccPerBlock[level][version];
        const int shortLength = info.totalCodewords / blocks;
        const int longBlocks = info.totalCodewords % blocks;
        info.dataCodewords[l] = info.totalCodewords - ecc * blocks;
        info.firstGroup[l] = {blocks - longBlocks, shortLength, shortLength - ecc};
        if (longBlocks > 0)
            info.secondGroup[l] = {longBlocks, shortLength + 1, shortLength + 1 - ecc};
    }
    return info;
}

constexpr std::array<QrVersionInfo, kQrMaxVersion + 1> makeTable()
{
    std::array<QrVersionInfo, kQrMaxVersion + 1> table{};
    for (int version = kQrMinVersion; version <= kQrMaxVersion; ++version)
        table[static_cast<size_t>(version)] = makeVersionInfo(version);
    return table;
}

constexpr std::array<QrVersionInfo, kQrMaxVersion + 1> kTable = makeTable();

constexpr bool blocksFitWorkArea()
{
    for (const QrVersionInfo& info : kTable) {
        for (int level = 0; level < kQrLevelCount; ++level) {
            const auto l = static_cast<size_t>(level);
            if (info.firstGroup[l].codewords > kQrMaxBlockCodewords
                || info.secondGroup[l].codewords > kQrMaxBlockCodewords)
                return false;
        }
    }
    return true;
}
static_assert(blocksFitWorkArea());
static_assert(kTable[40].totalCodewords == 3706 && kTable[40].dataCodewords[0] == 2956);

} // namespace

const QrVersionInfo& qrVersionInfo(int version)
{
    return kTable[static_cast<size_t>(version)];
}

} // namespace ql
