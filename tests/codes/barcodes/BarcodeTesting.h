// Helpers shared by the barcode tests: making codes, reading their bar text,
// rendering them and reading them back with the independent decoders.
#pragma once

#include "codes/barcodes/BCCode.h"
#include "codes/barcodes/BCCodeRenderer.h"
#include "codes/barcodes/BCTableCodeCharacter.h"
#include "support/CodeDecoders.h"
#include "support/QtPrinting.h"

#include <QString>
#include <gtest/gtest.h>

#include <ostream>

namespace barcodetest {

// The code, failing the test with the library's message when it is refused.
template <class Code, class... Args>
std::unique_ptr<Code> made(const QString& content, Args&&... args)
{
    auto result = Code::create(content, std::forward<Args>(args)...);
    EXPECT_TRUE(result.ok()) << qPrintable(content) << ": " << (result.ok() ? "" : qPrintable(result.error().message));
    return result.ok() ? std::move(result).value() : nullptr;
}

// The message with which the content is refused; empty when it is accepted.
template <class Code, class... Args>
QString refusal(const QString& content, Args&&... args)
{
    auto result = Code::create(content, std::forward<Args>(args)...);
    if (result.ok())
        return QString();
    EXPECT_EQ(result.error().domain, ql::BCCodeErrorDomain);
    EXPECT_EQ(result.error().code, 200);
    return result.error().message;
}

// The texts of a code's table characters in order (guards and gaps left out).
inline QString tableCharacters(const ql::BCCode& code, const QString& separator = QString())
{
    QStringList texts;
    for (const ql::BCCodeCharacterPtr& character : code.codeCharacters()) {
        if (const auto* table = dynamic_cast<const ql::BCTableCodeCharacter*>(character.get()))
            texts << table->character();
    }
    return texts.join(separator);
}

inline QString bars(const ql::BCCode& code)
{
    return ql::StringFromBCBarString(code.barString());
}

inline ql::BCRenderOptions atScale(double scale)
{
    return {{ql::BCCodeDrawingBarScale, scale}};
}

inline QImage rendered(const ql::BCCode& code, double scale)
{
    return ql::BCCodeRenderer().imageWithBarCode(&code, atScale(scale));
}

// What both decoders read from the image ("" when one of them reads nothing).
struct Readings {
    std::string zxing;
    std::string zbar;
};

// zbar misses modules narrower than about three pixels (2:1 wide elements
// in particular); below bar scale 3 it reads the image enlarged without
// smoothing, as a scanner would see the printed label.
inline Readings decodedByBoth(const QImage& image, double barScale, const testsupport::LinearReading& reading = {})
{
    const QImage prepared = testsupport::grayscaleForDecoding(testsupport::preparedForDecoding(image, 20));
    const auto zxing = testsupport::decodeLinearWithZxing(prepared, reading);
    const QImage forZbar = barScale >= 3 ? prepared
        : prepared.scaled(prepared.width() * 3, prepared.height() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const auto zbar = testsupport::decodeLinearWithZbar(forZbar, reading);
    return {zxing ? zxing->text : std::string(), zbar ? zbar->text : std::string()};
}

} // namespace barcodetest
