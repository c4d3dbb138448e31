// Qt's HTML reader walks the open elements above every tag it reads, so a
// text nested tens of thousands of elements deep takes minutes, and tables
// nested in tables take longer still. Before Qt reads a drop or a paste, the
// nesting is bounded: tags past the bound are left out, so that their text
// shows in the formatting of the deepest element kept (a line break stands
// for a paragraph or row left out, a space for a cell), and tables nested
// past their own bound read as their text. The tags are read as Qt reads
// them, and every element the bound closes is closed in so many words, so
// that Qt never nests deeper than the bound, whatever the markup.
#pragma once

#include <QString>

namespace ql::text {

// Elements open at once, and tables open in tables, that Qt gets to read.
inline constexpr int kMaxHtmlNesting = 200;
inline constexpr int kMaxHtmlTableNesting = 32;

// The HTML as it was when it nests within the bounds.
QString withBoundedNesting(const QString& html);

} // namespace ql::text
