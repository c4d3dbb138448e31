// Qt's HTML reader takes time growing with the square of the markup in
// three ways; before it reads a drop or a paste, the markup is mended so
// that it never does:
// - Qt walks the open elements above every tag it reads, so a text nested
//   tens of thousands of elements deep takes minutes, and tables nested in
//   tables take longer still. The nesting is bounded: tags past the bound
//   are left out, so that their text shows in the formatting of the deepest
//   element kept (a line break stands for a paragraph or row left out, a
//   space for a cell), and tables nested past their own bound read as their
//   text. The tags are read as Qt reads them, and every element the bound
//   closes is closed in so many words, so that Qt never nests deeper than
//   the bound, whatever the markup.
// - Qt lays its paragraph out anew for every picture it puts in, only to
//   leave a stand-in character where the picture would show: the styled
//   text has no pictures. They are left out.
// - Qt touches every item of a list for each item it adds. A long list is
//   closed and opened again every so many items, with what lies open
//   between it and its next item, in so many words. An item where that
//   would not read as before (inside a table, a preformatted block or an
//   item), or would write more than the markup read since the list was
//   last opened, is left out, a line break in its place.
#pragma once

#include <QString>

namespace ql::text {

// Elements open at once and tables open in tables that Qt gets to read, and
// the items a list takes before it is closed and opened again.
inline constexpr int kMaxHtmlNesting = 200;
inline constexpr int kMaxHtmlTableNesting = 32;
inline constexpr int kMaxHtmlListItems = 100;

// The HTML as it was when it holds no picture, nests within the bounds and
// has no longer list.
QString withBoundedMarkup(const QString& html);

} // namespace ql::text
