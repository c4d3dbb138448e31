// Capacities, block structure and alignment-pattern coordinates of the 40 QR
// Code versions at the four error-correction levels.
#pragma once

#include <array>

namespace ql {

// Error-correction levels in the order the encoder numbers them.
enum QrLevel : int { QrLevelL = 0, QrLevelM = 1, QrLevelQ = 2, QrLevelH = 3 };

constexpr int kQrMinVersion = 1;
constexpr int kQrMaxVersion = 40;
constexpr int kQrLevelCount = 4;
// The longest Reed-Solomon block of any version and level, in codewords.
constexpr int kQrMaxBlockCodewords = 153;

struct QrBlockGroup {
    int blocks = 0;
    int codewords = 0;     // per block, data and error correction together
    int dataCodewords = 0; // per block
};

struct QrVersionInfo {
    int version = 0;
    int totalCodewords = 0;
    std::array<int, kQrLevelCount> dataCodewords{};
    // Alignment-pattern coordinates other than 6, ascending; only the first
    // alignmentCount slots are used.
    int alignmentCount = 0;
    std::array<int, 6> alignmentCoordinates{};
    std::array<QrBlockGroup, kQrLevelCount> firstGroup{};
    // Blocks one data codeword longer than the first group's; blocks == 0
    // where the version has one group only.
    std::array<QrBlockGroup, kQrLevelCount> secondGroup{};
};

// version must lie in 1-40.
const QrVersionInfo& qrVersionInfo(int version);

} // namespace ql
