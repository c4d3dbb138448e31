// ZXing and zbar live in separate files: their headers define clashing names.
#include "CodeDecoders.h"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

namespace testsupport {

std::optional<DecodedSymbol> decodeWithZxing(const QImage& image)
{
    const QImage gray = grayscaleForDecoding(image);
    ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                          static_cast<int>(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid())
        return std::nullopt;
    return DecodedSymbol{ZXing::ToString(result.format()), result.text()};
}

} // namespace testsupport
