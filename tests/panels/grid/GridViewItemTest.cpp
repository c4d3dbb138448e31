#include "panels/grid/GVGridViewItem.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace ql;

namespace {

Image picture(int width, int height)
{
    QImage bitmap(width, height, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::red);
    return Image(bitmap);
}

} // namespace

TEST(GridViewItem, StartsWithDefaultsAndSharesAGivenLayout)
{
    GVGridViewItem plain;
    EXPECT_EQ(plain.reuseIdentifier(), QStringLiteral("GVGridViewItem"));
    EXPECT_EQ(plain.index(), std::numeric_limits<qint64>::max());
    EXPECT_FALSE(plain.selectable());
    EXPECT_TRUE(plain.itemTitle().isEmpty());
    EXPECT_TRUE(plain.useLayout());
    EXPECT_NE(plain.defaultLayout(), plain.hoverLayout()) << "three separate records";
    EXPECT_EQ(plain.currentLayout(), plain.defaultLayout());
    EXPECT_EQ(plain.defaultLayout()->contentInset, 3u);
    EXPECT_EQ(plain.defaultLayout()->itemBorderRadius, 5u);
    EXPECT_EQ(plain.defaultLayout()->selectionRingLineWidth, 3.0);
    EXPECT_EQ(plain.defaultLayout()->visibleContentMask, 3);
    EXPECT_EQ(GVGridViewItem::defaultItemSize(), QSizeF(310, 225));

    const GVGridViewItemLayoutPtr shared = GVGridViewItemLayout::defaultLayout();
    GVGridViewItem item(shared, QStringLiteral("cell"));
    EXPECT_EQ(item.reuseIdentifier(), QStringLiteral("cell"));
    EXPECT_EQ(item.defaultLayout(), shared);
    EXPECT_EQ(item.hoverLayout(), shared);
    EXPECT_EQ(item.selectionLayout(), shared);

    item.setIndex(4);
    item.setSelected(true);
    item.setHovered(true);
    item.setItemImage(picture(10, 10));
    item.setItemTitle(QStringLiteral("t"));
    item.setItemName(QStringLiteral("kept"));
    item.prepareForReuse();
    EXPECT_EQ(item.index(), GVGridViewItemBase::noIndex);
    EXPECT_FALSE(item.selected());
    EXPECT_FALSE(item.hovered());
    EXPECT_TRUE(item.selectable());
    EXPECT_TRUE(item.itemImage().isNull());
    EXPECT_TRUE(item.itemTitle().isEmpty());
    EXPECT_EQ(item.itemName(), QStringLiteral("kept")) << "other content stays";
}

TEST(GridViewItem, StateTableChoosesTheCurrentLayout)
{
    GVGridViewItem item;
    const auto rest = item.defaultLayout();
    const auto hover = item.hoverLayout();
    const auto chosen = item.selectionLayout();
    item.setHovered(true);
    EXPECT_EQ(item.currentLayout(), hover);
    item.setSelected(true);
    EXPECT_EQ(item.currentLayout(), chosen) << "selecting ignores the hover";
    item.setHovered(true);
    EXPECT_EQ(item.currentLayout(), hover) << "hover over a selected item";
    item.setHovered(false);
    EXPECT_EQ(item.currentLayout(), chosen);
    item.setHovered(true);
    item.setSelected(false);
    EXPECT_EQ(item.currentLayout(), rest) << "deselected under the pointer: the rest look";
    item.setHovered(false);
    EXPECT_EQ(item.currentLayout(), rest);
    item.setSelected(true);
    const auto replacement = GVGridViewItemLayout::defaultLayout();
    item.setDefaultLayout(replacement);
    EXPECT_EQ(item.currentLayout(), replacement) << "a new default look shows at once";
    for (const auto& current : {item.currentLayout()})
        EXPECT_TRUE(current == item.defaultLayout() || current == item.hoverLayout() || current == item.selectionLayout());
    EXPECT_TRUE(item.selected());
    EXPECT_FALSE(item.isReuseable());
}

TEST(GridViewItem, PlacesThumbnailAndTitleInTheCell)
{
    GVGridViewItem item;
    item.resize(100, 100);
    item.setItemImage(picture(200, 100));
    item.setItemTitle(QStringLiteral("A"));
    EXPECT_EQ(item.contentRect(), QRectF(3, 3, 94, 94));
    EXPECT_EQ(item.imageRect(), QRectF(6, 21.5, 88, 44));
    EXPECT_EQ(item.titleRect(), QRectF(6, 83, 88, 14));
    item.setItemTitle(QString());
    EXPECT_EQ(item.imageRect(), QRectF(6, 28, 88, 44)) << "no title: full height, no shift";
    item.setItemImage(picture(50, 100));
    EXPECT_EQ(item.imageRect(), QRectF(28, 6, 44, 88));

    // Drawing: the rest colour fills the cell and the picture covers its box;
    // a selected cell gets a ring.
    item.setItemImage(picture(200, 100));
    QImage drawn = item.grab().toImage();
    EXPECT_EQ(drawn.pixel(50, 50), QColor(Qt::red).rgb());
    EXPECT_EQ(drawn.pixel(50, 10), item.defaultLayout()->backgroundColor.rgb());
    item.setSelected(true);
    drawn = item.grab().toImage();
    EXPECT_EQ(drawn.pixel(50, 3), item.selectionLayout()->selectionRingColor.rgb());

    GVGridViewItem empty;
    empty.resize(0, 0);
    empty.setItemImage(picture(10, 10));
    EXPECT_TRUE(empty.imageRect().isNull()) << "a cell of no size draws nothing";
    QImage none(4, 4, QImage::Format_ARGB32_Premultiplied);
    none.fill(Qt::transparent);
    empty.render(&none);
    EXPECT_EQ(none.pixel(0, 0), 0u);
}

TEST(GridViewItem, TranslucentPicturesLookAsIfBlendedOnTheCell)
{
    for (const QSize size : {QSize(200, 100), QSize(50, 100), QSize(100, 100)}) {
        QImage bitmap(size, QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                bitmap.setPixel(x, y, qRgba(x * 5 % 256, 90, y * 2, (x * 3 + y * 7) % 256));
        for (const bool titled : {false, true}) {
            for (const bool selected : {false, true}) {
                GVGridViewItem item;
                item.resize(100, 100);
                item.setItemTitle(titled ? QStringLiteral("T") : QString());
                item.setSelected(selected);
                // The same cell without its picture, and the picture blended in by hand.
                QImage expected = item.grab().toImage();
                item.setItemImage(Image(bitmap));
                const QRectF box = item.imageRect();
                QPainter painter(&expected);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.drawPixmap(box.topLeft(), QPixmap::fromImage(bitmap.scaled(box.size().toSize(), Qt::IgnoreAspectRatio,
                                                                                  Qt::SmoothTransformation)));
                painter.end();
                EXPECT_EQ(item.grab().toImage(), expected) << size.width() << "x" << size.height() << " titled " << titled
                                                           << " selected " << selected;
            }
        }
    }
}
