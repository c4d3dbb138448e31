// The text styles a first start offers in the text panel: a title and the
// archived attributes (the font alone) of each.
#pragma once

#include <QVariantList>

namespace ql {

// Seven maps with "title" (localised) and "attributes" (a keyed archive of
// a map holding only the font attribute).
QVariantList seededTextStyles();

} // namespace ql
