// How platform values are read back from a keyed archive; the layouts are
// described in docs/file-format.md.
#pragma once

#include "platform/graphics/AttributedString.h"

#include <optional>

namespace ql {

class ClassRegistry;
class KeyedUnarchiver;

// Collections, strings, data, null, geometry values, dates, URLs, colours,
// fonts, paragraph styles, attributed strings, images, Bézier paths,
// gradients and ruler markers, under the class names the platform writes
// (mutable and immutable alike).
void registerPlatformValueDecoders(ClassRegistry& registry);

// The mobile edition's names: "UIColor", "UIFont" and "UIImage" (whose
// "PNGRepresentation" data becomes an Image, or nil when it is no image).
void registerMobileEditionValueDecoders(ClassRegistry& registry);

// The keys of an attributed-string record, read from the current record
// (for classes that store their text the same way); nothing when they are
// damaged, the unarchiver then having failed.
std::optional<AttributedString> decodeAttributedStringKeys(KeyedUnarchiver& unarchiver);

} // namespace ql
