// Pictures the program cannot decode (too large for the toolkit's default
// limit, damaged, of no known kind) in a real file: it opens, shows
// placeholders, saves every picture's bytes back unchanged after an edit
// (checked by python3's plistlib), and page-render names what it could not
// draw.
#include "DocumentTestSupport.h"
#include "app/output/OutputTestSupport.h"
#include "content/ImageTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/PagePainter.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "platform/archive/ImageArchiveData.h"

#include <QCryptographicHash>
#include <QDir>

using namespace ql;
using ql::testing::editWithPlistlib;
using ql::testing::plistlib;
using ql::testing::writeFile;
using imagetest::encoded;

namespace {

QImage filled(QSize size, QColor colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, format);
    image.fill(colour);
    return image;
}

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

ZVPuttyView* addPicture(ZVCanvasView& page, const Image& picture, const QRectF& content)
{
    ZVPuttyView* element = ZVPuttyView::initWithImage(picture).release();
    page.addPuttyView(element);
    element->setFrame(content.adjusted(-ZVPuttyView::kMargin, -ZVPuttyView::kMargin, ZVPuttyView::kMargin,
                                       ZVPuttyView::kMargin));
    return element;
}

ZVImageView* imageOf(const ZVPuttyView* element)
{
    return qobject_cast<ZVImageView*>(element->contentView());
}

bool isPlaceholderGrey(QColor c)
{
    return std::abs(c.red() - 228) <= 4 && std::abs(c.green() - 228) <= 4 && std::abs(c.blue() - 228) <= 4;
}

} // namespace

using KeptPictures = ql::testing::DocumentFixture;

TEST_F(KeptPictures, PicturesThatDoNotDecodeStayInTheFileThroughEditsAndSaves)
{
    controller.setWindowFactory(nullptr);
    // Stand-ins, stored as they are; the file then gets the real pictures in
    // their place, as another program would have written them.
    const QImage maskPicture = filled(QSize(16, 16), Qt::darkGray);
    Document original;
    ZVCanvasView* page = ql::testing::addPage(original);
    ZVPuttyView* photo = addPicture(*page, Image(filled(QSize(30, 20), Qt::red)), QRectF(50, 50, 200, 200));
    imageOf(photo)->setImageMask(Image(maskPicture));
    imageOf(photo)->setImageMaskEnabled(true);
    ZVPuttyView* damaged = addPicture(*page, Image(filled(QSize(30, 20), Qt::green, QImage::Format_ARGB32)),
                                      QRectF(300, 300, 200, 100));
    page->backgroundView()->setBackgroundImage(Image(filled(QSize(20, 20), Qt::blue)));
    page->backgroundView()->setBackgroundImageMode(2);
    page->backgroundView()->setBackgroundType(3);
    const QString file = path(QStringLiteral("kept.qvleaf"));
    ql::testing::save(original, file);

    const QString standIns = path(QStringLiteral("stand-in-%1"));
    const QString pictures = path(QStringLiteral("picture-%1"));
    const auto exchange = [&](int index, const QByteArray& standIn, const QByteArray& picture) {
        writeFile(standIns.arg(index), standIn);
        writeFile(pictures.arg(index), picture);
        return sha256(picture);
    };
    QByteArray damagedMask = encoded(filled(QSize(16, 16), Qt::black), "png");
    damagedMask.truncate(damagedMask.size() / 2);
    QByteArray damagedPng = encoded(filled(QSize(30, 20), Qt::green, QImage::Format_ARGB32), "png");
    damagedPng[damagedPng.indexOf("IDAT") + 6] = '\xFF';
    const QStringList hashes {
        // 36 megapixels: more than the toolkit decodes by default.
        exchange(0, *imageArchiveData(imageOf(photo)->originalImage()),
                 encoded(filled(QSize(6000, 6000), QColor(200, 120, 40)), "jpeg")),
        exchange(1, *Image(maskPicture).encoded(Image::Format::Png), damagedMask),
        exchange(2, *imageArchiveData(imageOf(damaged)->originalImage()), damagedPng),
        exchange(3, *imageArchiveData(page->backgroundView()->backgroundImage()), QByteArray("not a picture")),
    };
    editWithPlistlib(file, QStringLiteral("swap = {open(sys.argv[1][:-11] + 'stand-in-' + str(i), 'rb').read(): "
                                          "open(sys.argv[1][:-11] + 'picture-' + str(i), 'rb').read() for i in range(4)}\n"
                                          "assert sum(o in swap for o in d['$objects'] if isinstance(o, bytes)) == 4\n"
                                          "d['$objects'] = [swap.get(o, o) if isinstance(o, bytes) else o "
                                          "for o in d['$objects']]"));

    Result<Document*> opened = controller.openDocumentWithContentsOfFile(file);
    ASSERT_TRUE(opened.ok()) << opened.error().message.toStdString();
    EXPECT_TRUE(prompter.alerts.isEmpty());
    Document* document = *opened;
    ZVCanvasView* read = document->contentPages().value(0);
    ASSERT_TRUE(read && read->puttyViews().size() == 2);
    const ZVPuttyView* readPhoto = read->puttyViews()[0];
    const ZVPuttyView* readDamaged = read->puttyViews()[1];
    EXPECT_EQ(imageOf(readPhoto)->originalImage().pixelSize(), QSize(6000, 6000)) << "the large photo decodes";
    EXPECT_TRUE(imageOf(readPhoto)->imageMask().isUndecodable());
    EXPECT_TRUE(imageOf(readDamaged)->originalImage().isUndecodable());
    EXPECT_TRUE(read->backgroundView()->hasUndecodablePicture());

    // Placeholders where pictures could not be decoded, and over the photo,
    // whose mask cannot be: what the mask hides is not known.
    const QImage shown = PagePainter::image(*read);
    EXPECT_TRUE(isPlaceholderGrey(shown.pixelColor(330, 360))) << "the damaged picture";
    EXPECT_TRUE(isPlaceholderGrey(shown.pixelColor(560, 80))) << "the page background";
    EXPECT_TRUE(isPlaceholderGrey(shown.pixelColor(100, 150))) << "the photo";

    // An unrelated edit, then a save: every picture goes back byte for byte.
    read->puttyViews()[0]->setValueForKey(u"frame", readPhoto->frame().translated(10, 0));
    document->updateChangeCountDone();
    ASSERT_TRUE(controller.saveDocument(document));
    const QString saved = plistlib(file, QStringLiteral("' '.join(sorted(__import__('hashlib').sha256(o).hexdigest() "
                                                        "for o in d['$objects'] if isinstance(o, bytes)))"));
    for (const QString& hash : hashes)
        EXPECT_TRUE(saved.contains(hash)) << hash.toStdString() << " missing from " << saved.toStdString();

    // Output is written, and the run fails in one line of its own naming each
    // element and the page (the PNG decoder prints lines of its own).
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("out")));
    const ql::testing::ProgramRun run =
        ql::testing::pageRender({file, path(QStringLiteral("out")), QStringLiteral("--format"), QStringLiteral("png"),
                             QStringLiteral("--dpi"), QStringLiteral("72")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count(QStringLiteral("page-render:")), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(readPhoto->uuid())) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(readDamaged->uuid())) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("background of page 1"))) << run.err.toStdString();
    EXPECT_EQ(QDir(path(QStringLiteral("out"))).entryList(QDir::Files).size(), 1);
}

TEST_F(KeptPictures, PicturesNoJpegCanHoldAreSavedWholeAndReopen)
{
    controller.setWindowFactory(nullptr);
    // Opaque, so stored as JPEG were it not for their sides: a PNG a million
    // pixels wide (its own bytes), a BMP past JPEG's 65,500 (made PNG) and a
    // TIFF of three million rows, past what PNG readers take (made TIFF).
    QImage wide(1'000'000, 1, QImage::Format_Grayscale8);
    QImage beyondJpeg(65'535, 1, QImage::Format_RGB32);
    QImage tall(1, 3'000'000, QImage::Format_Grayscale8);
    for (int x = 0; x < wide.width(); ++x)
        wide.scanLine(0)[x] = uchar(x * 7);
    for (int x = 0; x < beyondJpeg.width(); ++x)
        beyondJpeg.setPixel(x, 0, qRgb(x, x >> 8, 90));
    for (int y = 0; y < tall.height(); ++y)
        tall.scanLine(y)[0] = uchar(y / 3);
    const QList<std::pair<QImage, QByteArray>> pictures {
        {wide, encoded(wide, "png")}, {beyondJpeg, encoded(beyondJpeg, "bmp")}, {tall, encoded(tall, "tiff")}};
    Document original;
    ZVCanvasView* page = ql::testing::addPage(original);
    for (const auto& [pixels, file] : pictures) {
        const Result<Image> placed = Image::fromData(file);
        ASSERT_TRUE(placed.ok()) << placed.error().message.toStdString();
        ASSERT_EQ(placed->pixelSize(), pixels.size());
        addPicture(*page, *placed, QRectF(50, 50, 200, 200));
    }
    const QString file = path(QStringLiteral("sides.qvleaf"));
    ql::testing::save(original, file);

    Result<Document*> opened = controller.openDocumentWithContentsOfFile(file);
    ASSERT_TRUE(opened.ok()) << opened.error().message.toStdString();
    const QList<ZVPuttyView*> read = (*opened)->contentPages().value(0)->puttyViews();
    ASSERT_EQ(read.size(), pictures.size());
    for (qsizetype i = 0; i < read.size(); ++i) {
        const Image reopened = imageOf(read[i])->originalImage();
        ASSERT_FALSE(reopened.isNull()) << i << ": left out of the file";
        EXPECT_EQ(reopened.bitmap().convertToFormat(QImage::Format_RGB32),
                  pictures[i].first.convertToFormat(QImage::Format_RGB32))
            << i;
    }
    EXPECT_EQ(imageArchiveData(imageOf(read[0])->originalImage()).value(), pictures[0].second) << "the PNG's own bytes";
}
