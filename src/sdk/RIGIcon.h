// The application icon as the kit sends it: PNG bytes, their SHA-1 and the size.
#pragma once

#include <optional>
#include <string>

namespace qlkit {

struct RIGSize {
    double width = 0;
    double height = 0;
};

class RIGIcon {
public:
    RIGIcon(std::string data, std::string dataHash, RIGSize size, bool prerendered);
    RIGIcon(std::string data, RIGSize size, bool prerendered);
    RIGIcon(std::string data, RIGSize size);
    // From PNG bytes alone, the size read from the image header; nothing when
    // the bytes are not a PNG.
    static std::optional<RIGIcon> fromPNG(std::string png);

    const std::string& data() const { return m_data; }
    const std::string& dataHash() const { return m_dataHash; }
    RIGSize size() const { return m_size; }
    bool prerendered() const { return m_prerendered; }

    double surfaceArea() const { return m_size.width * m_size.height; }
    bool isWithinMaxSurfaceArea() const { return surfaceArea() <= 1048576.0; }
    bool largerThanSize(RIGSize size) const { return surfaceArea() > size.width * size.height; }

private:
    std::string m_data;
    std::string m_dataHash;
    RIGSize m_size;
    bool m_prerendered;
};

// The application hands its icon over as PNG bytes; the kit keeps the first
// icon it makes from them.
class RIGAppIconUtility {
public:
    static void setApplicationIconPNG(std::optional<std::string> png);

    std::optional<RIGIcon> applicationIcon();
    std::optional<RIGIcon> fetchApplicationIcon() const;

private:
    std::optional<RIGIcon> m_icon;
};

} // namespace qlkit
