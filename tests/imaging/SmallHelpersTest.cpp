#include "util/ArrayExtensions.h"
#include "util/ColorHex.h"
#include "util/PathExtensions.h"
#include "imaging/PathShadows.h"
#include "util/StringExtensions.h"
#include "imaging/ViewExtensions.h"
#include "design/ZVDesignHelper.h"

#include <QGraphicsView>
#include <QLabel>
#include <QPushButton>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace ql;

TEST(ColorHex, ParsesTheWrittenFormsWithTheirQuirks)
{
    const std::optional<Color> blue = colorWithHex(QStringLiteral("#1D62F0"));
    ASSERT_TRUE(blue.has_value());
    EXPECT_EQ(blue->space(), Color::Space::CalibratedRGB);
    EXPECT_DOUBLE_EQ(blue->redComponent(), 0x1D / 255.0);
    EXPECT_DOUBLE_EQ(blue->greenComponent(), 0x62 / 255.0);
    EXPECT_DOUBLE_EQ(blue->blueComponent(), 0xF0 / 255.0);
    EXPECT_EQ(colorWithHex(QStringLiteral("1D62F0")), blue);
    EXPECT_EQ(colorWithHex(QStringLiteral("##1D62F0")), blue);
    EXPECT_EQ(colorWithHex(QStringLiteral("FFF")), Color::calibratedRgb(1, 1, 1));
    EXPECT_EQ(colorWithHex(QStringLiteral("GGFF00")), Color::calibratedRgb(1, 0, 0));
    // A bad length no longer throws: it gives no colour.
    EXPECT_FALSE(colorWithHex(QStringLiteral("12345")).has_value());
    EXPECT_FALSE(colorWithHex(QString()).has_value());
    EXPECT_EQ(colorWithHex(QStringLiteral("1G0000"))->redComponent(), 1 / 255.0);

    EXPECT_EQ(hexColor(Color::calibratedRgb(0.5, 0.25, 1.0)), QStringLiteral("#7F3FFF"));
    EXPECT_EQ(hexColor(*blue), QStringLiteral("#1D62F0"));
    EXPECT_EQ(hexColor(Color::calibratedRgb(1.5, -0.2, 0)), QStringLiteral("#FF0000"));
}

TEST(ArrayAndString, MoveAndUrlEncode)
{
    const QStringList abc {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    QStringList list = abc;
    moveObjectFromIndex(list, 0, 2);
    EXPECT_EQ(list, (QStringList {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}));
    list = abc;
    moveObjectFromIndex(list, 2, 0);
    EXPECT_EQ(list, (QStringList {QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("B")}));
    list = abc;
    moveObjectFromIndex(list, 1, 5);
    EXPECT_EQ(list, (QStringList {QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B")}));
    list = abc;
    moveObjectFromIndex(list, 7, 0);
    moveObjectFromIndex(list, 1, 1);
    EXPECT_EQ(list, abc);

    EXPECT_EQ(urlencode(QStringLiteral("a b&c~")), QStringLiteral("a%20b%26c~"));
    EXPECT_EQ(urlencode(QStringLiteral("Ã")), QStringLiteral("%C3%83"));
    EXPECT_EQ(urlencode(QStringLiteral("A-z_0.9/?")), QStringLiteral("A-z_0.9%2F%3F"));
    EXPECT_EQ(urlencode(QString()), QString());
}

TEST(PathExtensions, QuadraticsStrokeOutlinesAndInsideStrokes)
{
    const QList<PathElement> elements {
        {PathElement::Type::MoveTo, {QPointF(0, 0)}},
        {PathElement::Type::QuadCurveTo, {QPointF(50, 100), QPointF(100, 0)}},
        {PathElement::Type::LineTo, {QPointF(100, -10)}},
        {PathElement::Type::Close, {}},
    };
    const BezierPath path = bezierPathWithElements(elements);
    ASSERT_EQ(path.elementCount(), 4);
    EXPECT_EQ(path.elementAt(1).type, BezierPath::ElementType::CurveTo);
    // The cubic passes through the quadratic's midpoint (50, 50).
    const QPointF mid = path.toPainterPath().pointAtPercent(0.0);
    EXPECT_EQ(mid, QPointF(0, 0));
    QPainterPath curve;
    curve.moveTo(0, 0);
    const auto& c = path.elementAt(1).points;
    curve.cubicTo(c[0], c[1], c[2]);
    const QPointF half = 0.125 * QPointF(0, 0) + 0.375 * c[0] + 0.375 * c[1] + 0.125 * c[2];
    EXPECT_NEAR(half.x(), 50, 1e-9);
    EXPECT_NEAR(half.y(), 50, 1e-9);

    BezierPath line;
    line.moveTo(QPointF(0, 0));
    line.lineTo(QPointF(100, 0));
    const QRectF outline = pathWithStrokeWidth(line, 10).bounds();
    EXPECT_NEAR(outline.top(), -5, 1e-6);
    EXPECT_NEAR(outline.bottom(), 5, 1e-6);

    BezierPath box = BezierPath::rect(QRectF(10, 10, 40, 40));
    box.setLineWidth(4);
    QImage canvas(60, 60, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setPen(Qt::black);
    strokeInside(painter, box);
    painter.end();
    EXPECT_EQ(box.lineWidth(), 4.0);
    EXPECT_EQ(qAlpha(canvas.pixel(8, 30)), 0);  // outside the box
    EXPECT_EQ(qAlpha(canvas.pixel(12, 30)), 255); // the inside half, 4 wide
    EXPECT_EQ(qAlpha(canvas.pixel(16, 30)), 0);
}

TEST(PathShadows, InnerShadowFallsInsideAndBlurSpreads)
{
    QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    QPainterPath square;
    square.addRect(20, 20, 60, 60);
    ZVDesignHelper::drawInnerShadowInContext(painter, square, QColor(0, 0, 0, 255), QSizeF(0, 8), 4);
    painter.end();
    // Dark just inside the top edge (the offset pushes the outside down), light
    // in the middle and outside the square.
    EXPECT_LT(qRed(canvas.pixel(50, 22)), 100);
    EXPECT_EQ(qRed(canvas.pixel(50, 60)), 255);
    EXPECT_EQ(qRed(canvas.pixel(50, 10)), 255);
    EXPECT_EQ(qRed(canvas.pixel(50, 78)), 255);

    QImage blurred(100, 100, QImage::Format_ARGB32_Premultiplied);
    blurred.fill(Qt::transparent);
    QPainter blurPainter(&blurred);
    drawBlurWithColor(blurPainter, BezierPath::rect(QRectF(40, 40, 20, 20)), Qt::red, 10);
    blurPainter.end();
    EXPECT_GT(qAlpha(blurred.pixel(50, 50)), 128);
    EXPECT_GT(qAlpha(blurred.pixel(36, 50)), 0);
    EXPECT_EQ(qAlpha(blurred.pixel(5, 5)), 0);
}

TEST(ViewExtensions, ScaleSnapshotAndReflection)
{
    QGraphicsView view;
    setScale(view, QSizeF(2, 3));
    EXPECT_EQ(scale(view), QSizeF(2, 3));
    setScale(view, QSizeF(0.5, 0.5));
    EXPECT_EQ(scale(view), QSizeF(0.5, 0.5));
    resetScaling(view);
    EXPECT_EQ(scale(view), QSizeF(1, 1));

    QLabel label;
    label.setAutoFillBackground(true);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, Qt::blue);
    label.setPalette(palette);
    label.resize(40, 20);
    const QImage snapshot = imageRepresentation(label);
    ASSERT_EQ(snapshot.size(), QSize(40, 20));
    EXPECT_EQ(QColor(snapshot.pixel(20, 10)), QColor(Qt::blue));
    EXPECT_FALSE(label.isVisible());

    const Image reflection = reflectedImageRepresentationinSize(label, QSizeF(40.4, 30));
    const QImage pixels = reflection.bitmap();
    ASSERT_EQ(pixels.size(), QSize(40, 30));
    EXPECT_GT(qAlpha(pixels.pixel(20, 0)), 245);
    EXPECT_LT(qAlpha(pixels.pixel(20, 29)), 10);
    QLabel empty;
    empty.resize(0, 10);
    EXPECT_TRUE(imageRepresentation(empty).isNull());
    EXPECT_TRUE(reflectedImageRepresentationinSize(empty, QSizeF(10, 10)).isNull());

}

TEST(ViewExtensions, ColourTitleKeepsTheButtonsOwnStyle)
{
    const QColor blue(29, 98, 240);
    const QString style = QStringLiteral("background-color: rgb(29, 98, 240); border: none; color: black;");
    // Declarations of the button's own, and a rule.
    for (const QString& sheet : {style, QStringLiteral("QPushButton { ") + style + QStringLiteral(" }")}) {
        QPushButton button;
        button.setStyleSheet(sheet);
        button.resize(120, 30);
        setColorTitle(button, QStringLiteral("Insert"));
        EXPECT_EQ(button.text(), QStringLiteral("Insert"));
        EXPECT_EQ(button.palette().color(QPalette::ButtonText), QColor(Qt::white));
        setColorTitle(button, QStringLiteral("Again"));
        EXPECT_EQ(button.styleSheet().count(QStringLiteral("white")), 1) << sheet.toStdString();
        const QImage drawn = imageRepresentation(button);
        ASSERT_FALSE(drawn.isNull());
        EXPECT_EQ(QColor(drawn.pixel(3, 15)), blue) << sheet.toStdString();
        // The title is white on the blue ground: no darker pixel anywhere on the row.
        bool whiteTitle = false;
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor c(drawn.pixel(x, 15));
            whiteTitle |= c == QColor(Qt::white);
            EXPECT_GE(c.blue(), 200) << x << " " << sheet.toStdString();
        }
        EXPECT_TRUE(whiteTitle) << sheet.toStdString();
    }

    QPushButton plain;
    setColorTitle(plain, QStringLiteral("Plain"));
    EXPECT_EQ(plain.palette().color(QPalette::ButtonText), QColor(Qt::white));
}

TEST(PathShadows, UnusableBlurRadiiDrawNothingAndReturn)
{
    // Radii as a damaged document may hold them.
    for (const double radius : {std::nan(""), std::numeric_limits<double>::infinity(), 1e10}) {
        QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        QPainterPath square;
        square.addRect(20, 20, 60, 60);
        ZVDesignHelper::drawInnerShadowInContext(painter, square, QColor(0, 0, 0, 255), QSizeF(0, 8), radius);
        drawBlurWithColor(painter, BezierPath::rect(QRectF(40, 40, 20, 20)), Qt::red, radius);
        painter.end();
        QImage white(100, 100, QImage::Format_ARGB32_Premultiplied);
        white.fill(Qt::white);
        EXPECT_TRUE(canvas == white) << radius;
    }
}
