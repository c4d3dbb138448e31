// Other programs' HTML names its fonts by CSS family lists: in style
// attributes, in style sheets and in <font face>. Qt's reader gives each
// distinct list a character format of its own and finds formats by a hash
// that leaves the families out, so a text naming tens of thousands of
// families takes minutes to read. Before Qt reads it, each list is written
// as the installed family its text will show in (the first family, as pasted
// text keeps it; the default family for names of nothing installed, and for
// names past the alias bound): no more distinct lists than installed
// families.
#pragma once

#include <QString>

namespace ql::text {

QString withInstalledFontFamilies(const QString& html);

} // namespace ql::text
