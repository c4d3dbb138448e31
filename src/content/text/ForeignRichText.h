// Styled text that other programs put on the clipboard and into drags: RTF
// first, then HTML.
#pragma once

#include "platform/graphics/AttributedString.h"

#include <optional>

class QMimeData;

namespace ql::text {

// Nothing when the data holds neither. Text the HTML leaves unstyled takes
// `unstyledFont`, the font of where it goes.
std::optional<AttributedString> foreignRichText(const QMimeData& data, const Font& unstyledFont);
// Whether the data offers either, without reading it.
bool hasForeignRichText(const QMimeData& data);

} // namespace ql::text
