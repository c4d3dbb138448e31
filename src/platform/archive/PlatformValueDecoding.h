// How platform values are read back from a keyed archive; the layouts are
// described in docs/file-format.md.
#pragma once

namespace ql {

class ClassRegistry;

// Collections, strings, data, null, geometry values, dates, URLs, colours,
// fonts, paragraph styles, attributed strings, images, Bézier paths,
// gradients and ruler markers, under the class names the platform writes
// (mutable and immutable alike).
void registerPlatformValueDecoders(ClassRegistry& registry);

// The mobile edition's names: "UIColor", "UIFont" and "UIImage" (whose
// "PNGRepresentation" data becomes an Image, or nil when it is no image).
void registerMobileEditionValueDecoders(ClassRegistry& registry);

} // namespace ql
