#include "design/ZVDesignHelper.h"
#include "platform/archive/KeyedArchiver.h"
#include "shapes/df/DFShapeFactory.h"
#include "shapes/library/ZVShapeLibrary.h"

#include <gtest/gtest.h>

using namespace ql;

TEST(ShapeLibrary, EntriesInOrderFittedAndClosed)
{
    const QList<ZVLibraryShape> shapes = ZVShapeLibrary::build();
    QStringList names;
    for (const ZVLibraryShape& shape : shapes) {
        names.append(ZVShapeLibrary::name(shape));
        EXPECT_EQ(shape.size(), 2);
    }
    EXPECT_EQ(names, (QStringList {"circle", "ring", "square", "roundedSquare", "rightTriangle", "eqTriangle",
                                   "poly5", "poly6", "poly7", "poly8", "star", "star6", "star7", "star8",
                                   "star20", "inflectedArrowhead", "arrowTailFeather", "cross", "dCross", "plus",
                                   "check", "x", "balloon", "balloon2", "heart", "user", "beaker", "hLine"}));
    for (const ZVLibraryShape& shape : shapes) {
        const QString name = ZVShapeLibrary::name(shape);
        const BezierPath path = ZVShapeLibrary::path(shape);
        ASSERT_FALSE(path.isEmpty()) << name.toStdString();
        EXPECT_EQ(path.elementAt(path.elementCount() - 1).type, BezierPath::ElementType::ClosePath)
            << name.toStdString() << " is closed";
        const QRectF bounds = path.bounds();
        if (name == QLatin1String("circle") || name == QLatin1String("square") || name == QLatin1String("roundedSquare")) {
            EXPECT_NEAR(bounds.x(), 10, 0.01) << name.toStdString();
            EXPECT_NEAR(bounds.y(), 10, 0.01);
            EXPECT_NEAR(bounds.width(), 280, 0.01);
            EXPECT_NEAR(bounds.height(), 280, 0.01);
            continue;
        }
        const double side = name.startsWith(QLatin1String("star")) ? 300 : 290;
        const double scale = side / std::max(bounds.width(), bounds.height());
        EXPECT_NEAR(std::max(bounds.width(), bounds.height()), side, 0.01) << name.toStdString();
        EXPECT_NEAR(bounds.x(), 0.01 * scale, 0.01) << name.toStdString();
        EXPECT_NEAR(bounds.y(), 0.01 * scale, 0.01) << name.toStdString();
    }
    // The thumbnail's turn is the picture's alone: the stored outline is the
    // factory's, fitted.
    BezierPath right = DFShapeFactory::rightTriangle().transformed(QTransform::fromScale(300, 300));
    ZVDesignHelper::scaleBezierPath(right, QRectF(0, 0, 290, 290));
    EXPECT_EQ(ZVShapeLibrary::path(shapes.at(4)).elements(), right.elements());
    // The two balloons differ in the side of their tail.
    EXPECT_NE(ZVShapeLibrary::path(shapes.at(22)).elements(), ZVShapeLibrary::path(shapes.at(23)).elements());
}

TEST(ShapeLibrary, ThumbnailsAreTurnedPicturesOfTheOutline)
{
    const QList<ZVLibraryShape> shapes = ZVShapeLibrary::build();
    const Image circle = ZVShapeLibrary::thumbnail(shapes.at(0));
    EXPECT_EQ(circle.pixelSize(), QSize(300, 300));
    const QImage picture = circle.bitmap();
    EXPECT_EQ(QColor(picture.pixel(150, 150)), QColor(Qt::white)) << "filled in white";
    EXPECT_EQ(qAlpha(picture.pixel(2, 2)), 0) << "clear outside";
    // The right triangle's picture is turned by a quarter: its filled corner
    // moves to another corner of the picture.
    const QImage flat = [&] {
        BezierPath outline = ZVShapeLibrary::path(shapes.at(4));
        return ZVDesignHelper::imageWithBezierPath(outline).bitmap();
    }();
    const QImage turned = ZVShapeLibrary::thumbnail(shapes.at(4)).bitmap();
    EXPECT_NE(flat, turned);
    EXPECT_EQ(turned.size(), QSize(300, 300));
}

TEST(ShapeLibrary, DragArchiveReadsBackOnlyWhole)
{
    const ZVLibraryShape star = ZVShapeLibrary::build().at(10);
    const QByteArray data = ZVShapeLibrary::archivedData(QStringLiteral("star"), ZVShapeLibrary::path(star));
    const std::optional<ZVLibraryShape> read = ZVShapeLibrary::fromArchivedData(data);
    ASSERT_TRUE(read);
    EXPECT_EQ(ZVShapeLibrary::name(*read), QStringLiteral("star"));
    // Outlines are stored in single precision.
    const BezierPath back = ZVShapeLibrary::path(*read);
    ASSERT_EQ(back.elementCount(), ZVShapeLibrary::path(star).elementCount());
    const QRectF bounds = back.bounds();
    EXPECT_NEAR(bounds.width(), 300, 0.001);
    EXPECT_NEAR(bounds.x(), ZVShapeLibrary::path(star).bounds().x(), 0.001);

    EXPECT_FALSE(ZVShapeLibrary::fromArchivedData(data.left(data.size() / 2))) << "cut short";
    EXPECT_FALSE(ZVShapeLibrary::fromArchivedData(QByteArrayLiteral("not an archive")));
    KeyedArchiver archiver;
    archiver.encodeRootObject(QVariantMap {{QStringLiteral("name"), QStringLiteral("star")}});
    EXPECT_FALSE(ZVShapeLibrary::fromArchivedData(*archiver.finish())) << "no outline";
    KeyedArchiver wrong;
    wrong.encodeRootObject(QVariantMap {{QStringLiteral("name"), 5}, {QStringLiteral("path"), QStringLiteral("x")}});
    EXPECT_FALSE(ZVShapeLibrary::fromArchivedData(*wrong.finish())) << "values of other kinds";
}
