#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ql;

TEST(ColorTest, KeepsSpaceAndConvertsForDrawing)
{
    const Color cmyk = Color::deviceCmyk(0.0, 1.0, 1.0, 0.0, 0.5);
    EXPECT_EQ(cmyk.componentCount(), 4);
    const QColor q = cmyk.toQColor();
    EXPECT_EQ(q, q.toCmyk()) << "stays a CMYK colour for drawing";
    EXPECT_EQ(q.toRgb().red(), 255);
    EXPECT_EQ(q.toRgb().green(), 0);
    EXPECT_NEAR(q.alphaF(), 0.5, 1e-3);

    EXPECT_EQ(Color::calibratedWhite(0.5).toQColor().toRgb().red(), 128);
    EXPECT_NE(Color::calibratedWhite(0.5), Color::deviceWhite(0.5));
    EXPECT_EQ(Color::fromQColor(QColor(255, 0, 0)), Color::calibratedRgb(1, 0, 0));
    // Kept in a QVariant, colours still compare by value.
    EXPECT_EQ(QVariant::fromValue(Color::deviceRgb(0.1, 0.2, 0.3)), QVariant::fromValue(Color::deviceRgb(0.1, 0.2, 0.3)));
}

TEST(BezierPathTest, GeometryTransformAndPen)
{
    BezierPath path = BezierPath::rect(QRectF(10, 20, 100, 50));
    path.curveTo({0, 0}, {5, -10}, {-5, -10});
    EXPECT_EQ(path.elementCount(), 6);
    EXPECT_EQ(path.currentPoint(), QPointF(0, 0));
    EXPECT_EQ(path.controlPointBounds(), QRectF(-5, -10, 115, 80));
    EXPECT_LT(path.bounds().top(), 0.0);
    EXPECT_GT(path.bounds().top(), -10.0); // tight bounds stay inside the control points

    const BezierPath moved = path.transformed(QTransform::fromTranslate(5, 5));
    EXPECT_EQ(moved.elementAt(0).points[0], QPointF(15, 25));

    path.setWindingRule(BezierPath::WindingRule::EvenOdd);
    EXPECT_EQ(path.toPainterPath().fillRule(), Qt::OddEvenFill);

    path.setLineWidth(2.0);
    path.setDash({6.0, 2.0, 4.0}, 2.0);
    path.setLineCap(BezierPath::LineCap::Round);
    const QPen pen = path.strokePen(Qt::red);
    EXPECT_EQ(pen.capStyle(), Qt::RoundCap);
    EXPECT_EQ(pen.dashPattern(), (QList<qreal> {3, 1, 2, 3, 1, 2}));
    EXPECT_DOUBLE_EQ(pen.dashOffset(), 1.0);

    const BezierPath oval = BezierPath::ovalInRect(QRectF(0, 0, 20, 10));
    EXPECT_NEAR(oval.bounds().width(), 20.0, 1e-6);
    EXPECT_NEAR(oval.bounds().height(), 10.0, 1e-6);
    EXPECT_EQ(BezierPath::fromPainterPath(oval.toPainterPath()).elementAt(1), oval.elementAt(1));
}

TEST(GradientTest, SpreadsColoursAndSortsStops)
{
    const Gradient even({Color::black(), Color::white(), Color::black()});
    EXPECT_EQ(even.locations(), (QList<double> {0.0, 0.5, 1.0}));
    const Gradient unsorted(QList<Gradient::Stop> {{Color::white(), 1.0}, {Color::black(), 0.25}});
    EXPECT_DOUBLE_EQ(unsorted.qtStops().first().first, 0.25);
}

TEST(AttributedStringTest, RunsSplitAndMerge)
{
    const Font helvetica(QStringLiteral("Helvetica"), 12);
    AttributedString text(QStringLiteral("Hello world"), {{TextAttribute::font, QVariant::fromValue(helvetica)}});
    text.addAttribute(TextAttribute::underline, 1, 6, 5);
    text.addAttribute(TextAttribute::kern, 1.5, 3, 100); // clipped to the text
    QList<AttributedString::Run> runs = text.runs();
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(runs[0].length, 3);
    EXPECT_EQ(runs[1].start, 3);
    EXPECT_EQ(runs[2].attributes.value(TextAttribute::underline).toInt(), 1);
    EXPECT_EQ(text.attributeAt(TextAttribute::font, 10).value<Font>(), helvetica);

    text.removeAttribute(TextAttribute::kern, 0, 11);
    text.removeAttribute(TextAttribute::underline, 0, 11);
    EXPECT_EQ(text.runs().size(), 1); // equal neighbours merge again

    AttributedString::Run run;
    text.append(QStringLiteral("!"), {});
    text.attributesAt(11, &run);
    EXPECT_EQ(run.start, 11);
    EXPECT_EQ(text.substring(4, 3).string(), QStringLiteral("o w"));
}

TEST(ImageTest, DecodesBitmapsKeepsVectorDataAndEncodes)
{
    QImage bitmap(40, 20, QImage::Format_ARGB32);
    bitmap.fill(QColor(10, 200, 30, 128));
    bitmap.setDotsPerMeterX(qRound(144 / 0.0254));
    bitmap.setDotsPerMeterY(qRound(144 / 0.0254));
    const Image original(bitmap);
    EXPECT_TRUE(original.hasAlpha());

    for (Image::Format format : {Image::Format::Png, Image::Format::Jpeg, Image::Format::Tiff}) {
        const Result<QByteArray> data = original.encoded(format);
        ASSERT_TRUE(data.ok()) << data.error().describe().toStdString();
        const Result<Image> decoded = Image::fromData(*data);
        ASSERT_TRUE(decoded.ok()) << int(format);
        EXPECT_EQ(decoded->pixelSize(), QSize(40, 20));
        EXPECT_EQ(decoded->hasAlpha(), format != Image::Format::Jpeg);
    }
    // A picture with no resolution of its own keeps its size in every format.
    QImage plain(60, 40, QImage::Format_RGB32);
    plain.fill(Qt::red);
    for (Image::Format format : {Image::Format::Png, Image::Format::Jpeg, Image::Format::Tiff})
        EXPECT_EQ(Image::fromData(*Image(plain).encoded(format))->size(), QSizeF(60, 40)) << int(format);
    // A 144-dpi PNG is half as large in points as in pixels.
    const Result<Image> png = Image::fromData(*original.encoded(Image::Format::Png));
    EXPECT_NEAR(png->size().width(), 20.0, 0.1);
    // Densities beyond any scanner's are taken within 10 to 9600 dpi: a
    // pixel is no speck of a millionth of a point, nor seven inches.
    for (const auto& [dotsPerMeter, points] : {std::pair {2000000000, 72.0 / 9600}, std::pair {1, 7.2}}) {
        QImage dot(1, 1, QImage::Format_RGB32);
        dot.setDotsPerMeterX(dotsPerMeter);
        dot.setDotsPerMeterY(dotsPerMeter);
        EXPECT_DOUBLE_EQ(Image::fromData(*Image(dot).encoded(Image::Format::Png))->size().width(), points);
    }

    QTemporaryDir dir;
    const QString bmpPath = dir.filePath(QStringLiteral("a.bmp"));
    ASSERT_TRUE(bitmap.save(bmpPath, "BMP"));
    EXPECT_EQ(Image::fromFile(bmpPath)->pixelSize(), QSize(40, 20));
    // Qt reads GIF but cannot write it: a 1 × 1 GIF made elsewhere.
    const Result<Image> gif = Image::fromData(QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"));
    ASSERT_TRUE(gif.ok());
    EXPECT_EQ(gif->pixelSize(), QSize(1, 1));

    const QByteArray pdf("%PDF-1.4\n1 0 obj << /Type /Page /MediaBox [0 0 612 792] >> endobj\n%%EOF\n");
    const Result<Image> vector = Image::fromData(pdf);
    ASSERT_TRUE(vector.ok());
    EXPECT_TRUE(vector->isVector());
    EXPECT_EQ(vector->size(), QSizeF(612, 792));
    EXPECT_EQ(vector->firstRepresentation().data(), pdf);
    EXPECT_FALSE(vector->encoded(Image::Format::Png).ok());

    const Result<Image> eps = Image::fromData("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 10 10 110 60\n");
    EXPECT_EQ(eps->firstRepresentation().kind(), ImageRep::Kind::Eps);
    EXPECT_EQ(eps->size(), QSizeF(100, 50));

    EXPECT_FALSE(Image::fromData("not an image").ok());
    EXPECT_FALSE(Image::fromFile(dir.filePath(QStringLiteral("missing.png"))).ok());
}
