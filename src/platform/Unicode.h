// Text as other programs must be able to read it back.
#pragma once

#include <QString>

namespace ql {

// Replaces each UTF-16 surrogate that is not half of a pair with U+FFFD,
// one unit for one, so that positions in the text stay where they were.
// Such text reaches us from damaged files and loose rich text; written as it
// is, it makes a file that strict readers refuse. Whether any was replaced.
bool replaceLoneSurrogates(QString& text);

} // namespace ql
