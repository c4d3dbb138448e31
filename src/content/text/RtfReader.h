// Reads rich text in RTF, as other programs put it on the clipboard and in
// drags, into styled text: the characters (code-page bytes, Unicode escapes
// and symbols), paragraphs, and per run the font family, size, bold, italic,
// underline, strikethrough and colour, and the paragraphs' alignment.
// Pictures (their binary data too), tables, fields and the rest of the
// format are skipped; their readable text stays. Malformed input reads as
// far as it goes, never past its end and never deeper than a fixed nesting.
#pragma once

#include "platform/graphics/AttributedString.h"

#include <QByteArrayView>
#include <optional>

namespace ql::text {

// Nothing unless the data starts as RTF does ("{\rtf").
std::optional<AttributedString> attributedStringFromRtf(QByteArrayView rtf);

} // namespace ql::text
