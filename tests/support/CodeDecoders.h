// Independent readers (ZXing-C++ and zbar, linked in-process) that decode the
// symbols our encoders draw, so tests compare against real scanners.
#pragma once

#include <QImage>
#include <optional>
#include <string>

namespace testsupport {

struct DecodedSymbol {
    std::string format; // the reader's own name of the symbology, e.g. "EAN-13"
    std::string text;   // decoded content as the reader reports it
};

// Composites on white and adds a quiet border of `border` pixels, so that
// transparent renderings and tight crops read like printed labels.
QImage preparedForDecoding(const QImage& image, int border = 40);

// The image on white, without a border, as 8-bit grey. The decoders accept
// such an image as it is, so callers that decode one image several times can
// convert it once.
QImage grayscaleForDecoding(const QImage& image);

std::optional<DecodedSymbol> decodeWithZxing(const QImage& image);
std::optional<DecodedSymbol> decodeWithZbar(const QImage& image);

// The readers set up as a hand scanner for linear symbols: linear formats
// only, and every few rows instead of every row, so large renderings read
// quickly. An EAN/UPC add-on is read with its main symbol.
std::optional<DecodedSymbol> decodeLinearWithZxing(const QImage& image);
std::optional<DecodedSymbol> decodeLinearWithZbar(const QImage& image);

// How a reader treats the symbologies whose reading is configurable.
struct LinearReading {
    std::string symbology;             // ZXing's name ("Code128", "Code39", "Code93", "Codabar", "ITF"); empty: all
    bool code39CheckCharacter = false; // verify and drop a Code 39 modulo-43 check character
    bool code39FullAscii = false;      // read Code 39 shift pairs as full ASCII
};
std::optional<DecodedSymbol> decodeLinearWithZxing(const QImage& image, const LinearReading& reading);
std::optional<DecodedSymbol> decodeLinearWithZbar(const QImage& image, const LinearReading& reading);

} // namespace testsupport
