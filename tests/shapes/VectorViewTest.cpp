#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "shapes/ZVVectorView.h"

#include <gtest/gtest.h>

TEST(VectorView, ShapeNamesAdjustabilityAndAnIndependentCopy)
{
    ZVCanvasView page;
    ZVPuttyView* element =
        ZVPuttyView::initWithVector(ql::BezierPath::rect(QRectF(0, 0, 30, 20)), QStringLiteral("custom2")).release();
    page.addPuttyView(element);
    auto* shape = qobject_cast<ZVVectorView*>(element->contentView());
    ASSERT_TRUE(shape);
    EXPECT_FALSE(shape->isAdjustable()) << "a drawing turned into a shape has no adjustment";
    shape->setShapeName(QStringLiteral("star6"));
    EXPECT_TRUE(shape->isAdjustable());
    shape->setShape(ql::BezierPath());
    EXPECT_FALSE(shape->shape().isEmpty()) << "an empty shape changes nothing";
    EXPECT_TRUE(shape->backgroundView()->vectorBacking());

    // Attaching hands the element's own background its element and page.
    shape->setPuttyView(element);
    EXPECT_EQ(element->backgroundView()->currentPage(), &page);

    shape->setBackgroundOffset(QPointF(3, 4));
    shape->backgroundView()->setBackgroundType(1);
    const std::unique_ptr<ZVVectorView> copy = shape->copy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->shape(), shape->shape());
    EXPECT_EQ(copy->shapeName(), QStringLiteral("star6"));
    EXPECT_EQ(copy->backgroundOffset(), QPointF(3, 4));
    EXPECT_NE(copy->backgroundView(), shape->backgroundView());
    EXPECT_EQ(copy->backgroundView()->backgroundType(), QVariant(1));
    copy->backgroundView()->setBackgroundType(2);
    EXPECT_EQ(shape->backgroundView()->backgroundType(), QVariant(1)) << "the copy is independent";
    EXPECT_EQ(copy->puttyView(), nullptr);
}
