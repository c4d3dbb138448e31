#include "panels/grid/GVGridViewItemLayout.h"

#include "platform/graphics/FontResolver.h"

namespace ql {

namespace gridcolors {

QColor itemBackgroundColor()
{
    return QColor::fromRgbF(0.95f, 0.95f, 0.95f);
}

QColor itemSelectionRingColor()
{
    return QColor::fromRgbF(0.35f, 0.55f, 0.85f);
}

QColor itemTitleColor()
{
    return QColor::fromRgbF(0.2f, 0.2f, 0.2f);
}

QColor itemTitleShadowColor()
{
    return QColor::fromRgbF(1, 1, 1, 0.8f);
}

} // namespace gridcolors

std::shared_ptr<GVGridViewItemLayout> GVGridViewItemLayout::defaultLayout()
{
    auto layout = std::make_shared<GVGridViewItemLayout>();
    layout->backgroundColor = gridcolors::itemBackgroundColor();
    layout->selectionRingColor = gridcolors::itemSelectionRingColor();
    QFont font(FontResolver::resolvedFamily(QStringLiteral("Helvetica")));
    font.setPixelSize(10);
    layout->itemTitleTextAttributes = {font, gridcolors::itemTitleColor(), gridcolors::itemTitleShadowColor(),
                                       QPointF(0, 1), Qt::AlignHCenter};
    return layout;
}

} // namespace ql
