#include "content/text/ZVTextContainer.h"

void ZVTextContainer::setBezierPaths(const QList<ql::BezierPath>& paths)
{
    m_bezierPaths = paths;
    textContainerChangedGeometry();
}
