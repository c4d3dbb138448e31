#include "crash/capture/HLYEhFrameHeader.h"

#include "crash/capture/HLYDwarf.h"
#include "crash/capture/HLYSDKLog.h"

#include <cstring>

namespace qlkit {
namespace {

constexpr std::uint8_t kVersion = 1;
// Table entries of signed 32-bit offsets from the header: the form linkers write.
constexpr std::uint8_t kDataRelativeSigned32 = 0x3B;
constexpr std::uint64_t kAllOnes = ~std::uint64_t(0);
// Far more functions than any image holds; a larger count is damage.
constexpr std::uint64_t kMostEntries = 1 << 24;

struct Header {
    std::uintptr_t ehFrame = 0;
    std::uint64_t count = 0;
    std::uint8_t tableEncoding = 0;
    const std::uint8_t* table = nullptr;
};

bool readHeader(std::uintptr_t address, Header* header)
{
    if (!address)
        return false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(address);
    if (bytes[0] != kVersion)
        return false;
    const std::uint8_t frameEncoding = bytes[1];
    const std::uint8_t countEncoding = bytes[2];
    header->tableEncoding = bytes[3];
    HLYDwarfCursor cursor {bytes + 4, bytes + 4 + 16, false};
    const std::uint64_t frame = HLYParseAddressWithEncodingAndAdvance(&cursor, frameEncoding, address);
    const std::uint64_t count = HLYParseAddressWithEncodingAndAdvance(&cursor, countEncoding, address);
    if (cursor.failed || frame == kAllOnes)
        return false;
    header->ehFrame = std::uintptr_t(frame);
    header->count = count == kAllOnes ? 0 : count;
    header->table = cursor.at;
    return header->count < kMostEntries;
}

} // namespace

std::uintptr_t HLYEhFrameHeaderGetEhFrame(std::uintptr_t address)
{
    Header header;
    return readHeader(address, &header) ? header.ehFrame : 0;
}

std::uintptr_t HLYEhFrameHeaderFindFDE(std::uintptr_t address, std::uintptr_t pc)
{
    Header header;
    if (!readHeader(address, &header) || header.count == 0)
        return 0;
    if (header.tableEncoding != kDataRelativeSigned32) {
        HLYSDKLog("%s: Unhandled: search table encoding 0x%x\n", "HLYEhFrameHeaderFindFDE", unsigned(header.tableEncoding));
        return 0;
    }
    const std::int64_t target = std::int64_t(pc) - std::int64_t(address);
    auto entry = [&](std::uint64_t index, std::int32_t* start, std::int32_t* fde) {
        std::memcpy(start, header.table + index * 8, 4);
        std::memcpy(fde, header.table + index * 8 + 4, 4);
    };
    std::int32_t start = 0;
    std::int32_t fde = 0;
    entry(0, &start, &fde);
    if (target < start)
        return 0;
    // The last entry whose start is not above the target.
    std::uint64_t low = 0;
    std::uint64_t high = header.count;
    while (high - low > 1) {
        const std::uint64_t middle = low + (high - low) / 2;
        entry(middle, &start, &fde);
        if (std::int64_t(start) <= target)
            low = middle;
        else
            high = middle;
    }
    entry(low, &start, &fde);
    return std::uintptr_t(std::int64_t(address) + fde);
}

} // namespace qlkit
