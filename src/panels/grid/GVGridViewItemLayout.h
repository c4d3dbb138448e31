// How a grid item looks in one of its states: cell colour, selection ring,
// inset, corner radius, title style and which parts show.
#pragma once

#include <QColor>
#include <QFont>
#include <memory>

namespace ql {

// The item colours of every thumbnail grid, defined once.
namespace gridcolors {
QColor itemBackgroundColor();
QColor itemSelectionRingColor();
QColor itemTitleColor();
QColor itemTitleShadowColor();
} // namespace gridcolors

struct GVGridViewTitleAttributes {
    QFont font;
    QColor color;
    QColor shadowColor;
    // Points; y grows downwards, so the platform's (0, -1) is one below.
    QPointF shadowOffset;
    Qt::Alignment alignment = Qt::AlignHCenter;
};

class GVGridViewItemLayout {
public:
    enum ContentMask { ShowImage = 1, ShowTitle = 2 };

    // A fresh record: the grid colours, ring 3, inset 3, radius 5, image and
    // title shown, 10-point Helvetica titles.
    static std::shared_ptr<GVGridViewItemLayout> defaultLayout();

    QColor backgroundColor;
    QColor selectionRingColor;
    double selectionRingLineWidth = 3;
    unsigned contentInset = 3;
    unsigned itemBorderRadius = 5;
    GVGridViewTitleAttributes itemTitleTextAttributes;
    int visibleContentMask = ShowImage | ShowTitle;
};

using GVGridViewItemLayoutPtr = std::shared_ptr<GVGridViewItemLayout>;

} // namespace ql
