// The shape element's own renderer classes that documents may hold beside
// the drawing framework's: its arrow stroke and its image fill.
#pragma once

#include "platform/archive/ClassRegistry.h"

namespace ql::shapes {

void registerShapeClasses(ClassRegistry& registry);

} // namespace ql::shapes
