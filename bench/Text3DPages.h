#pragma once
// Pages of many small elements for the 3D text benchmarks: `text3d` small
// 3D texts (a word each), and `others` more elements (text boxes and
// filled shapes in turn) between them, on a Letter page in a grid.
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "shapes/ZVVectorView.h"

#include <cmath>
#include <memory>

inline void fillText3DPage(ZVCanvasView& page, int text3d, int others)
{
    const int count = text3d + others;
    const int columns = std::max(1, int(std::ceil(std::sqrt(count * 540.0 / 720.0))));
    const int rows = (count + columns - 1) / columns;
    const double cellWidth = 540.0 / columns;
    const double cellHeight = 720.0 / rows;
    // The 3D texts spread evenly among the others.
    const double every = text3d > 0 ? double(count) / text3d : 0;
    int made3d = 0;
    for (int i = 0; i < count; ++i) {
        const QRectF box(36 + (i % columns) * cellWidth, 36 + (i / columns) * cellHeight, cellWidth * 0.9,
                         cellHeight * 0.9);
        std::unique_ptr<ZVPuttyView> element;
        if (made3d < text3d && i >= std::floor(made3d * every)) {
            element = ZVPuttyView::initWith3DText(QStringLiteral("Leaf %1").arg(made3d));
            ++made3d;
        } else if (i % 2) {
            element = ZVPuttyView::initWithText();
            if (auto* text = qobject_cast<ZVTextView*>(element->contentView()))
                text->setString(QStringLiteral("Box %1").arg(i));
        } else {
            element = ZVPuttyView::initWithVector(ql::BezierPath::ovalInRect(QRectF(0, 0, 10, 10)),
                                                  QStringLiteral("circle"));
            auto* shape = qobject_cast<ZVVectorView*>(element->contentView());
            shape->backgroundView()->setBackgroundColor(
                QVariant::fromValue(ql::Color::deviceRgb(0.2, 0.5, double(i % 10) / 10)));
            shape->backgroundView()->setBackgroundType(1);
        }
        element->setFrame(box.adjusted(-40, -40, 40, 40));
        page.addPuttyView(element.release());
    }
}
