// Opening a document decodes none of its photos: each is known from its
// header until a page showing it is drawn, and only the pictures drawn are
// decoded. They draw as pictures decoded at once do, and save back as the
// bytes they came from.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/PagePainter.h"
#include "content/ZVImageView.h"
#include "platform/archive/ImageArchiveData.h"
#include "platform/graphics/StoredBitmap.h"
#include "support/GreyPicture.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>

using namespace ql;

using PicturesDecodedWhenShown = ql::testing::DocumentFixture;

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes;
}

QImage gradient(QSize size, QColor from, QColor to, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, format);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QLinearGradient fill(0, 0, size.width(), size.height());
    fill.setColorAt(0, from);
    fill.setColorAt(1, to);
    painter.fillRect(image.rect(), fill);
    return image;
}

const ZVImageView* imageOf(const ZVPuttyView* element)
{
    return qobject_cast<const ZVImageView*>(element->contentView());
}

int largestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            largest = std::max({largest, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                std::abs(p.blue() - q.blue())});
        }
    }
    return largest;
}

} // namespace

TEST_F(PicturesDecodedWhenShown, OpeningDecodesNothingAndDrawingDecodesOnlyWhatIsShown)
{
    QImage dense = gradient(QSize(320, 240), Qt::darkGreen, Qt::yellow);
    dense.setDotsPerMeterX(11811); // 300 dpi: a smaller picture on the page
    dense.setDotsPerMeterY(11811);
    const QList<QByteArray> pictures {
        encoded(gradient(QSize(320, 240), Qt::darkBlue, Qt::cyan), "JPEG"),
        encoded(dense, "JPEG"),
        encoded(gradient(QSize(160, 120), QColor(255, 0, 0, 40), Qt::blue, QImage::Format_ARGB32), "PNG"),
        encoded(gradient(QSize(160, 120), QColor(255, 0, 0, 0), Qt::blue, QImage::Format_ARGB32)
                    .convertToFormat(QImage::Format_Indexed8),
                "PNG"), // a palette with a transparent entry
    };
    // Decoded at once, as pictures placed from a file are.
    Document original;
    for (const QByteArray& bytes : pictures) {
        ZVCanvasView* page = original.newPage();
        original.contentPages().append(page);
        ZVPuttyView* element = ZVPuttyView::initWithImage(Image::fromData(bytes).value()).release();
        element->setFrame(QRectF(60, 80, 400, 300));
        page->addPuttyView(element);
    }
    const QByteArray file = *DocumentArchive::write(original);

    const quint64 before = StoredBitmap::decodeCount();
    Document opened;
    ASSERT_TRUE(opened.readFromData(file, kDesktopDocumentType));
    EXPECT_EQ(StoredBitmap::decodeCount(), before) << "no picture is decoded by opening";
    ASSERT_EQ(opened.contentPages().size(), pictures.size());
    for (int p = 0; p < pictures.size(); ++p) {
        const Image& read = imageOf(opened.contentPages()[p]->puttyViews().value(0))->originalImage();
        const Image& placed = imageOf(original.contentPages()[p]->puttyViews().value(0))->originalImage();
        EXPECT_TRUE(read.firstRepresentation().isStored());
        EXPECT_EQ(read.size(), placed.size()) << "page " << p;
        EXPECT_EQ(read.pixelSize(), placed.pixelSize()) << "page " << p;
        EXPECT_EQ(read.hasAlpha(), placed.hasAlpha()) << "page " << p;
        EXPECT_EQ(imageArchiveData(read).value(), pictures[p]) << "page " << p;
    }
    EXPECT_EQ(*DocumentArchive::write(opened), file) << "saving decodes nothing and changes nothing";
    EXPECT_EQ(StoredBitmap::decodeCount(), before);

    // The first page drawn at its pictures' resolution looks as the
    // document decoded at once does, and decodes its picture alone.
    const QImage shown = PagePainter::image(*opened.contentPages()[0]);
    EXPECT_EQ(shown, PagePainter::image(*original.contentPages()[0]));
    const quint64 afterFirst = StoredBitmap::decodeCount();
    EXPECT_GT(afterFirst, before);
    EXPECT_LE(afterFirst, before + 2) << "a check that it decodes, then the picture";
    PagePainter::image(*opened.contentPages()[0]);
    EXPECT_EQ(StoredBitmap::decodeCount(), afterFirst) << "drawn again from what was decoded";

    // Drawn small, the pictures are decoded small and still look the same.
    for (int p = 1; p < 3; ++p) {
        const QImage small = PagePainter::image(*opened.contentPages()[p], 0.25);
        const QImage reference = PagePainter::image(*original.contentPages()[p], 0.25);
        ASSERT_EQ(small.size(), reference.size());
        EXPECT_LE(largestDifference(small, reference), 24) << "page " << p;
    }
}

TEST_F(PicturesDecodedWhenShown, AScanPastTheBudgetIsShownFromItsBytesPlacedAdjustedAndFlipped)
{
    // A palette scan of 8,500 pixels square (289 MB at 32 bits), red on its
    // left half and blue on its right.
    const QByteArray scan = ql::testing::splitPng(QSize(8500, 8500), 4250, ql::testing::SplitDepth::Palette8);
    // Placed from a file as a dropped one is, it is known from its bytes as
    // a reopened one is: no decode of the whole is kept.
    const Image placed = Image::fromData(scan).value();
    EXPECT_TRUE(placed.firstRepresentation().isStored());
    Document document;
    ZVCanvasView* page = document.newPage();
    document.contentPages().append(page);
    ZVPuttyView* element = ZVPuttyView::initWithImage(placed).release();
    element->setFrame(QRectF(60, 60, 480, 480));
    page->addPuttyView(element);
    auto* image = qobject_cast<ZVImageView*>(element->contentView());

    // Brightened, it is adjusted when drawn, at the size drawn, never whole.
    image->setValueForKey(u"brightness", 0.25);
    EXPECT_TRUE(image->originalCIImage().isNull()) << "the scan is not decoded whole to be adjusted";
    EXPECT_TRUE(image->picture().firstRepresentation().isStored()) << "nor adjusted whole";
    const auto brightened = [](QColor c, bool red) {
        return red ? c.red() > 240 && c.blue() > 90 : c.blue() > 240 && c.red() > 90;
    };
    QImage shown = PagePainter::image(*page, 0.5);
    EXPECT_TRUE(brightened(shown.pixelColor(100, 150), true)) << shown.pixelColor(100, 150).name().toStdString();
    EXPECT_TRUE(brightened(shown.pixelColor(200, 150), false)) << shown.pixelColor(200, 150).name().toStdString();
    Document reopened;
    ASSERT_TRUE(reopened.readFromData(*DocumentArchive::write(document), kDesktopDocumentType));
    EXPECT_EQ(imageArchiveData(imageOf(reopened.contentPages()[0]->puttyViews().value(0))->originalImage()).value(),
              scan)
        << "the file keeps the scan as it came";

    // Flipped, it stays so: the left half blue and brightened.
    ASSERT_TRUE(element->flipHorizontal());
    EXPECT_TRUE(image->picture().firstRepresentation().isStored());
    shown = PagePainter::image(*page, 0.5);
    EXPECT_TRUE(brightened(shown.pixelColor(100, 150), false)) << shown.pixelColor(100, 150).name().toStdString();
}

TEST(StoredBitmapHeader, DataThatDoesNotDecodeIsFoundWhenAskedAndKeptAsItCame)
{
    // The header whole, the first data chunk damaged.
    QByteArray damaged = encoded(gradient(QSize(64, 48), Qt::red, Qt::blue), "PNG");
    const qsizetype data = damaged.indexOf("IDAT");
    ASSERT_GT(data, 0);
    damaged[data + 6] = char(damaged[data + 6] ^ 0xFF);
    const quint64 before = StoredBitmap::decodeCount();
    const Image picture = Image::fromStoredData(damaged);
    ASSERT_TRUE(picture.firstRepresentation().isStored());
    EXPECT_EQ(picture.pixelSize(), QSize(64, 48));
    EXPECT_EQ(StoredBitmap::decodeCount(), before);
    EXPECT_TRUE(picture.isUndecodable());
    EXPECT_TRUE(picture.bitmap().isNull());
    EXPECT_EQ(StoredBitmap::decodeCount(), before + 1) << "found once, remembered";
    EXPECT_EQ(imageArchiveData(picture).value(), damaged);
}
