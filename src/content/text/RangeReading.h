// What the text settings read back from a range of a text: the fonts, the
// stroke widths, the emphasis, the letter spacing and the paragraph style,
// all found in one walk of the range. A text's storage keeps the readings it
// made while the text stays as it is (TextStorage::reading), because every
// box of a linked chain reads the same ranges at each change of the
// selection.
#pragma once

#include "platform/graphics/AttributedString.h"

#include <QTextDocument>
#include <QVariantList>
#include <optional>

namespace ql::text {

// The inspector's emphasis codes.
enum Emphasis { BoldEmphasis = 0, ItalicEmphasis = 1, UnderlineEmphasis = 2, StrikethroughEmphasis = 3 };

// The emphasis codes of one run's attributes: italic then bold for a
// bold-italic face, then underline, then strikethrough.
QVariantList emphasisTypes(const TextAttributes& attributes);

// The codes in the order they first come, each once (files of older
// versions repeat them, once for every run of the text).
QVariantList eachCodeOnce(const QVariantList& codes);

struct RangeReading {
    // Whether the range holds more than one font, or more than one stroke
    // width (no stroke counting as one).
    bool severalFonts = false;
    bool severalStrokeWidths = false;
    // The emphasis codes the range's runs have, each once, in the order
    // they first come.
    QVariantList emphasis;
    // The one kern and paragraph style the range has: invalid where none of
    // it has any, nothing where it has several.
    std::optional<QVariant> kern = QVariant();
    std::optional<QVariant> paragraphStyle = QVariant();
};

// Walks [location, location + length) of the document once.
RangeReading readRange(const QTextDocument& document, int location, int length);

} // namespace ql::text
