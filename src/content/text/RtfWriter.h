// Writes styled text as RTF for drags and other programs: per run the font
// (its stored name in the font table, bold and italic as its face has them)
// and its size, and the characters escaped; paragraph ends, line breaks and
// tabs as RTF has them. Colours and paragraph styles stay out.
#pragma once

#include "platform/graphics/AttributedString.h"

#include <QByteArray>

namespace ql::text {

QByteArray rtfFromAttributedString(const AttributedString& text);

} // namespace ql::text
