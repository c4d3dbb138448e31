#include "shapes/ShapeClasses.h"

#include "shapes/ZVArrowStroke.h"
#include "shapes/ZVImageAdornment.h"

namespace ql::shapes {

void registerShapeClasses(ClassRegistry& registry)
{
    registry.registerClass<ZVArrowStroke>(QStringLiteral("ZVArrowStroke"));
    registry.registerClass<ZVImageAdornment>(QStringLiteral("ZVImageAdornment"));
}

} // namespace ql::shapes
