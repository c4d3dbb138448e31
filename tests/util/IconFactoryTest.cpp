#include "util/icons/ICFIconFactory.h"
#include "util/icons/NamedImages.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace ql;

namespace {

// The average colour of one row's painted pixels, unpremultiplied.
QColor rowColour(const QImage& image, int row)
{
    double red = 0, green = 0, blue = 0;
    int count = 0;
    for (int x = 0; x < image.width(); ++x) {
        const QColor pixel = image.pixelColor(x, row);
        if (pixel.alpha() < 250)
            continue;
        red += pixel.red();
        green += pixel.green();
        blue += pixel.blue();
        ++count;
    }
    return count ? QColor(int(red / count), int(green / count), int(blue / count)) : QColor();
}

int firstOpaqueRow(const QImage& image, int from, int step)
{
    for (int y = from; y >= 0 && y < image.height(); y += step) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).alpha() >= 250 && rowColour(image, y).isValid())
                return y;
        }
    }
    return -1;
}

} // namespace

TEST(IconFactory, TwoColoursBlendTopToBottomWithAnOutline)
{
    ICFIconFactory factory = ICFIconFactory::toolbarItemIconFactory();
    ASSERT_FALSE(factory.fontPath().isEmpty()) << "the icon font is installed";
    factory.setSize(QSize(64, 64));
    factory.setColors({QColor("#5fe382"), QColor("#1d62f0")});
    factory.setStrokeColor(Qt::black);
    factory.setStrokeWidth(1.0);
    const QImage star = factory.createImageForIcon(0xF005);
    ASSERT_EQ(star.size(), QSize(64, 64));
    // Rows a little inside the glyph's top and bottom, clear of the outline.
    const int top = firstOpaqueRow(star, 0, 1);
    const int bottom = firstOpaqueRow(star, star.height() - 1, -1);
    ASSERT_GE(top, 0);
    ASSERT_GT(bottom, top + 20);
    const QColor upper = rowColour(star, top + 8);
    const QColor lower = rowColour(star, bottom - 6);
    EXPECT_GT(upper.green(), lower.green() + 40) << "green on top";
    EXPECT_GT(lower.blue(), upper.blue() + 40) << "blue at the bottom";

    factory.setStrokeWidth(0);
    factory.setColors({Qt::red});
    const QImage flat = factory.createImageForIcon(0xF005);
    EXPECT_EQ(rowColour(flat, 32), QColor(Qt::red));
}

TEST(IconFactory, MissingFontGivesTransparentImagesAndWarnsOnce)
{
    ICFIconFactory factory;
    factory.setFontPath(QStringLiteral("/nonexistent/IconFont.otf"));
    int warnings = 0;
    static int* counter = nullptr;
    counter = &warnings;
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
        if (type == QtWarningMsg)
            ++*counter;
    });
    const QImage first = factory.createImageForIcon(0xF005);
    const QImage second = factory.createImageForIcon(0xF03E);
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, 1);
    ASSERT_FALSE(first.isNull());
    for (const QImage& image : {first, second}) {
        bool empty = true;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                empty = empty && qAlpha(image.pixel(x, y)) == 0;
        EXPECT_TRUE(empty);
    }
}

TEST(IconFactory, NamedPicturesAreDrawnAndUnknownNamesAreNull)
{
    for (const char* name : {"822-photo-2-toolbar", "t", "1062-layers-2-toolbar", "830-pencil-toolbar"}) {
        const QImage image = imageNamed(QString::fromLatin1(name));
        ASSERT_FALSE(image.isNull()) << name;
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                painted += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(painted, 20) << name;
    }
    EXPECT_TRUE(imageNamed(QStringLiteral("no such picture")).isNull());
}
