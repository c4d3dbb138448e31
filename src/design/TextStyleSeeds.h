// The text styles a first start offers in the text panel: a title and the
// archived attributes (the font alone) of each.
#pragma once

#include "platform/graphics/Font.h"

#include <QVariantList>
#include <QVariantMap>
#include <optional>

namespace ql {

// The seven styles in their order (normal, title, subtitle, headings 1 to 3,
// caption): a localised title and the style's font.
struct TextStyleSeed {
    QString title;
    Font font;
};
QList<TextStyleSeed> textStyleSeeds();

// Seven maps with "title" (localised) and "attributes" (a keyed archive of
// a map holding only the font attribute).
QVariantList seededTextStyles();

// One stored style in that form; an empty map when the font cannot be
// archived.
QVariantMap textStyle(const QString& title, const Font& font);
// The font a stored style keeps; nothing for a damaged or foreign entry.
std::optional<Font> fontOfTextStyle(const QVariant& style);

} // namespace ql
