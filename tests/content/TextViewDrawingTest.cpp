#include "TextTestSupport.h"

#include "canvas/painting/TextContentPainter.h"
#include "content/text/FlowLayout.h"
#include "platform/graphics/Gradient.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// The text view's own drawing, or (with an element) what the element
// painter draws of the content: text, then gradient and tiled picture.
QImage render(ZVTextView* text, const ZVPuttyView* element = nullptr)
{
    QImage image(text->bounds().size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    if (element)
        ql::TextContentPainter::paint(painter, *element, text->bounds(), 1.0);
    else
        text->drawText(painter);
    return image;
}

bool inked(const QImage& image, QRect area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
    return false;
}

} // namespace

TEST(TextViewDrawing, GlyphsLandOnTheLayoutsLinesAndOutlinesFollowTheStrokeSign)
{
    TextBox box;
    ql::TextAttributes big = fontAttributes(QStringLiteral("Helvetica-Bold"), 100);
    big.insert(A::strokeWidth, 3.0);
    box.text->setAttributedString(ql::AttributedString(QStringLiteral("I"), big));
    const QList<ql::text::FlowLayout::Line> lines = box.text->layoutManager()->linesInTextContainer(0);
    ASSERT_EQ(lines.size(), 1);
    const QSizeF inset = box.text->textContainerInset();
    // The middle of the stem, half way between baseline and cap height.
    const double stemX = inset.width() + lines[0].textX + lines[0].textWidth / 2;
    const double stemY = inset.height() + lines[0].baseline - 35;
    const QRect middle(int(stemX) - 2, int(stemY) - 2, 5, 5);
    // Positive: outlined only, hollow inside.
    EXPECT_FALSE(inked(render(box.text), middle));
    big.insert(A::strokeWidth, -3.0);
    box.text->setAttributedString(ql::AttributedString(QStringLiteral("I"), big));
    EXPECT_TRUE(inked(render(box.text), middle));
    // Nothing is drawn above the line's top.
    big.remove(A::strokeWidth);
    box.text->setAttributedString(ql::AttributedString(QStringLiteral("I"), big));
    EXPECT_FALSE(inked(render(box.text), QRect(0, 0, 300, int(inset.height() + lines[0].rect.top()))));
}

TEST(TextViewDrawing, TheElementPainterLaysOverlaysOverTheText)
{
    TextBox box;
    box.text->setValueForKey(u"gradient", QVariant::fromValue(ql::Gradient(QList<ql::Color> {
                                               ql::Color::deviceRgb(1, 0, 0), ql::Color::deviceRgb(0, 0, 1)})));
    box.text->setValueForKey(u"gradientType", 0);
    box.text->setValueForKey(u"gradientAngle", 0);
    QImage image = render(box.text, box.element);
    EXPECT_GT(qRed(image.pixel(2, 100)), 200);
    EXPECT_GT(qBlue(image.pixel(297, 100)), 200);
    // Types other than 0-3 paint no gradient.
    box.text->setValueForKey(u"gradientType", 7);
    image = render(box.text, box.element);
    EXPECT_EQ(image.pixel(2, 100), qRgb(255, 255, 255));

    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(Qt::green);
    box.text->setTiledImage(ql::Image(tile));
    image = render(box.text, box.element);
    EXPECT_EQ(image.pixel(150, 150), qRgb(0, 255, 0));
}
