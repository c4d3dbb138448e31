#include "sdk/RIGIcon.h"

#include "sdk/TextForms.h"

#include <cstring>
#include <mutex>

namespace qlkit {
namespace {

struct IconSlot {
    std::mutex mutex;
    std::optional<std::string> png;
};

IconSlot& iconSlot()
{
    static auto* slot = new IconSlot;
    return *slot;
}

std::uint32_t bigEndian32(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

} // namespace

RIGIcon::RIGIcon(std::string data, std::string dataHash, RIGSize size, bool prerendered)
    : m_data(std::move(data)), m_dataHash(std::move(dataHash)), m_size(size), m_prerendered(prerendered)
{
}

RIGIcon::RIGIcon(std::string data, RIGSize size, bool prerendered)
    : RIGIcon(data, RIGSHA1HexStringFromBytes(data.data(), std::uint32_t(data.size())), size, prerendered)
{
}

RIGIcon::RIGIcon(std::string data, RIGSize size) : RIGIcon(std::move(data), size, true) {}

std::optional<RIGIcon> RIGIcon::fromPNG(std::string png)
{
    // Signature, then the IHDR chunk: length, "IHDR", width, height.
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 24 || std::memcmp(png.data(), kSignature, 8) != 0 || png.compare(12, 4, "IHDR") != 0)
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const unsigned char*>(png.data());
    const RIGSize size {double(bigEndian32(bytes + 16)), double(bigEndian32(bytes + 20))};
    if (size.width == 0 || size.height == 0)
        return std::nullopt;
    return RIGIcon(std::move(png), size);
}

void RIGAppIconUtility::setApplicationIconPNG(std::optional<std::string> png)
{
    std::lock_guard lock(iconSlot().mutex);
    iconSlot().png = std::move(png);
}

std::optional<RIGIcon> RIGAppIconUtility::applicationIcon()
{
    if (!m_icon)
        m_icon = fetchApplicationIcon();
    return m_icon;
}

std::optional<RIGIcon> RIGAppIconUtility::fetchApplicationIcon() const
{
    std::optional<std::string> png;
    {
        std::lock_guard lock(iconSlot().mutex);
        png = iconSlot().png;
    }
    if (!png)
        return std::nullopt;
    return RIGIcon::fromPNG(std::move(*png));
}

} // namespace qlkit
