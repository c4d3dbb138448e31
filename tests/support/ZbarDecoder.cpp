// ZXing and zbar live in separate files: their headers define clashing names.
#include "CodeDecoders.h"

#include <zbar.h>

namespace testsupport {

namespace {

// Scans every `rowStep`-th row and every `columnStep`-th column (0: no columns).
std::optional<DecodedSymbol> scan(const QImage& image, int rowStep, int columnStep, const LinearReading& reading)
{
    const QImage gray = grayscaleForDecoding(image);
    const int width = gray.width();
    const int height = gray.height();
    // zbar wants tightly packed rows.
    std::string packed(static_cast<size_t>(width) * static_cast<size_t>(height), '\0');
    for (int y = 0; y < height; ++y)
        std::copy_n(gray.constScanLine(y), width, packed.data() + static_cast<size_t>(y) * static_cast<size_t>(width));

    zbar::zbar_image_scanner_t* scanner = zbar::zbar_image_scanner_create();
    const std::pair<const char*, zbar::zbar_symbol_type_t> symbologies[] = {
        {"Code128", zbar::ZBAR_CODE128}, {"Code39", zbar::ZBAR_CODE39}, {"Code93", zbar::ZBAR_CODE93},
        {"Codabar", zbar::ZBAR_CODABAR}, {"ITF", zbar::ZBAR_I25},
    };
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, reading.symbology.empty());
    for (const auto& [name, type] : symbologies) {
        if (reading.symbology == name)
            zbar::zbar_image_scanner_set_config(scanner, type, zbar::ZBAR_CFG_ENABLE, 1);
    }
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_BINARY, 1);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_Y_DENSITY, rowStep);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_X_DENSITY, columnStep);
    // Short symbols count too (zbar ignores short 2 of 5 and Codabar by default).
    for (zbar::zbar_symbol_type_t type : {zbar::ZBAR_I25, zbar::ZBAR_CODABAR, zbar::ZBAR_CODE39, zbar::ZBAR_CODE93, zbar::ZBAR_CODE128})
        zbar::zbar_image_scanner_set_config(scanner, type, zbar::ZBAR_CFG_MIN_LEN, 1);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_CODE39, zbar::ZBAR_CFG_ADD_CHECK, reading.code39CheckCharacter);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_CODE39, zbar::ZBAR_CFG_EMIT_CHECK, !reading.code39CheckCharacter);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_CODE39, zbar::ZBAR_CFG_ASCII, reading.code39FullAscii);
    zbar::zbar_image_t* zimage = zbar::zbar_image_create();
    zbar::zbar_image_set_format(zimage, zbar_fourcc('Y', '8', '0', '0'));
    zbar::zbar_image_set_size(zimage, static_cast<unsigned>(width), static_cast<unsigned>(height));
    zbar::zbar_image_set_data(zimage, packed.data(), packed.size(), nullptr);

    std::optional<DecodedSymbol> decoded;
    if (zbar::zbar_scan_image(scanner, zimage) > 0) {
        const zbar::zbar_symbol_t* symbol = zbar::zbar_image_first_symbol(zimage);
        decoded = DecodedSymbol{zbar::zbar_get_symbol_name(zbar::zbar_symbol_get_type(symbol)),
                                std::string(zbar::zbar_symbol_get_data(symbol), zbar::zbar_symbol_get_data_length(symbol))};
    }
    zbar::zbar_image_destroy(zimage);
    zbar::zbar_image_scanner_destroy(scanner);
    return decoded;
}

} // namespace

std::optional<DecodedSymbol> decodeWithZbar(const QImage& image)
{
    return scan(image, 1, 1, LinearReading());
}

std::optional<DecodedSymbol> decodeLinearWithZbar(const QImage& image)
{
    return decodeLinearWithZbar(image, LinearReading());
}

std::optional<DecodedSymbol> decodeLinearWithZbar(const QImage& image, const LinearReading& reading)
{
    return scan(image, 8, 0, reading);
}

} // namespace testsupport
