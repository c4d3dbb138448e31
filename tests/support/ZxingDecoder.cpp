// ZXing and zbar live in separate files: their headers define clashing names.
#include "CodeDecoders.h"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

namespace testsupport {

namespace {

std::optional<DecodedSymbol> read(const QImage& image, const ZXing::DecodeHints& hints)
{
    const QImage gray = grayscaleForDecoding(image);
    ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                          static_cast<int>(gray.bytesPerLine()));
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid())
        return std::nullopt;
    return DecodedSymbol{ZXing::ToString(result.format()), result.text()};
}

} // namespace

std::optional<DecodedSymbol> decodeWithZxing(const QImage& image)
{
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
    return read(image, hints);
}

std::optional<DecodedSymbol> decodeLinearWithZxing(const QImage& image)
{
    return decodeLinearWithZxing(image, LinearReading());
}

std::optional<DecodedSymbol> decodeLinearWithZxing(const QImage& image, const LinearReading& reading)
{
    ZXing::DecodeHints hints;
    hints.setFormats(reading.symbology.empty() ? ZXing::BarcodeFormats(ZXing::BarcodeFormat::LinearCodes)
                                               : ZXing::BarcodeFormats(ZXing::BarcodeFormatFromString(reading.symbology)));
    hints.setTryCode39ExtendedMode(reading.code39FullAscii);
    hints.setValidateCode39CheckSum(reading.code39CheckCharacter);
    hints.setReturnCodabarStartEnd(true);
    hints.setTryHarder(false);
    hints.setTryRotate(false);
    hints.setBinarizer(ZXing::Binarizer::GlobalHistogram);
    hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
    return read(image, hints);
}

} // namespace testsupport
