// The page-render tool on saved documents: what it writes is read back by
// poppler (boxes, text, rasters), PIL (pictures, modes, profiles) and
// tiffinfo, and what it refuses leaves nothing behind.
#include "OutputTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"

#include <QBuffer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLinearGradient>
#include <QPainter>
#include <QSet>
#include <gtest/gtest.h>

namespace ql::testing {
namespace {

class PageRenderTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return folder.filePath(name); }
    QString out() const { return folder.filePath(QStringLiteral("out")); }
    QStringList written() const { return QDir(out()).entryList(QDir::Files, QDir::Name); }
    void SetUp() override { ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("out"))); }

    QTemporaryDir folder;
};

// Each page box line of `pdfinfo -box` for page `page`.
QStringList boxes(const QString& pdf, int page)
{
    const ProgramRun run = runProgram(QStringLiteral("pdfinfo"), {QStringLiteral("-box"), QStringLiteral("-f"),
                                                           QString::number(page), QStringLiteral("-l"),
                                                           QString::number(page), pdf});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList result;
    for (const QString& line : run.out.split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String("Box:")))
            result.append(line.section(QLatin1Char(':'), 1).simplified());
    }
    return result;
}

int pdfPageCount(const QString& pdf)
{
    const ProgramRun run = runProgram(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& line : run.out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.section(QLatin1Char(':'), 1).trimmed().toInt();
    }
    return -1;
}

TEST_F(PageRenderTest, WritesPdfPagesWithExactBoxesAndPicturesOfThemAtEachResolution)
{
    Document document;
    addFilledRect(*addPage(document), QRectF(100, 100, 200, 100), Qt::red);
    // A black background on whole points, for an edge with nothing between its colours.
    ZVCanvasView* second = addPage(document);
    second->setValueForKey(QStringLiteral("clipToMargins"), true);
    second->setValueForKey(QStringLiteral("topMargin"), 400.0);
    second->setCanvasFrames();
    second->backgroundView()->setBackgroundColor(QVariant::fromValue(Color::deviceRgb(0, 0, 0)));
    second->backgroundView()->setBackgroundType(1);
    save(document, path(QStringLiteral("Flyer.qvleaf")));

    ProgramRun run = pageRender({path(QStringLiteral("Flyer.qvleaf")), out()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(written(), QStringList {QStringLiteral("Flyer.pdf")});
    const QString pdf = out() + QStringLiteral("/Flyer.pdf");
    EXPECT_EQ(pdfPageCount(pdf), 2);
    for (int page = 1; page <= 2; ++page)
        EXPECT_EQ(boxes(pdf, page), QStringList(5, QStringLiteral("0.00 0.00 612.00 792.00")));
    const QImage raster = pdfPage(pdf, 1);
    EXPECT_TRUE(isRed(raster.pixelColor(200, 150)));
    EXPECT_TRUE(isWhite(raster.pixelColor(50, 50)));

    run = pageRender({path(QStringLiteral("Flyer.qvleaf")), out(), QStringLiteral("--format"), QStringLiteral("png"),
                      QStringLiteral("--dpi"), QStringLiteral("72"), QStringLiteral("--name"), QStringLiteral("my.flyer")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(written().contains(QStringLiteral("my_1.png")));
    EXPECT_TRUE(written().contains(QStringLiteral("my_2.png")));
    const QImage png = decodedRGB(out() + QStringLiteral("/my_1.png"));
    ASSERT_EQ(png.size(), QSize(612, 792));
    EXPECT_TRUE(isRed(png.pixelColor(200, 150)));
    EXPECT_TRUE(isWhite(png.pixelColor(50, 50)));
    EXPECT_EQ(decodedRGB(out() + QStringLiteral("/my_2.png")).pixelColor(450, 450), QColor(Qt::black));
    // An edge on whole pixels: nothing between its two colours, no lossy step.
    const QJsonObject twoColours = probe(out() + QStringLiteral("/my_2.png"));
    EXPECT_EQ(twoColours[QStringLiteral("colours")].toInt(), 2)
        << QJsonDocument(twoColours[QStringLiteral("colour_list")].toArray()).toJson().toStdString();

    run = pageRender({path(QStringLiteral("Flyer.qvleaf")), out(), QStringLiteral("--format"), QStringLiteral("png"),
                      QStringLiteral("--range"), QStringLiteral("2"), QStringLiteral("2")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject large = probe(out() + QStringLiteral("/Flyer.png"));
    EXPECT_EQ(large[QStringLiteral("size")].toArray(), (QJsonArray {2550, 3300}));
    EXPECT_EQ(large[QStringLiteral("mode")].toString(), QStringLiteral("RGB"));
    EXPECT_NEAR(large[QStringLiteral("dpi")].toArray()[0].toDouble(), 300, 0.5);
}

TEST_F(PageRenderTest, WritesCmykJpegAndSeparatedTiffThatReadBackToTheirColours)
{
    Document document;
    ZVCanvasView* page = addPage(document);
    addFilledRect(*page, QRectF(100, 100, 200, 100), QColor(128, 128, 128));
    save(document, path(QStringLiteral("Grey.qvleaf")));
    for (const QString& format : {QStringLiteral("jpeg"), QStringLiteral("tiff")}) {
        const ProgramRun run = pageRender({path(QStringLiteral("Grey.qvleaf")), out(), QStringLiteral("--format"), format,
                                    QStringLiteral("--dpi"), QStringLiteral("72"), QStringLiteral("--cmyk")});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QString file = out() + (format == QLatin1String("jpeg") ? QStringLiteral("/Grey.jpg")
                                                                      : QStringLiteral("/Grey.tif"));
        const QJsonObject grey = probe(file, {QPoint(200, 150)});
        EXPECT_EQ(grey[QStringLiteral("mode")].toString(), QStringLiteral("CMYK")) << format.toStdString();
        EXPECT_GT(grey[QStringLiteral("profile")].toInt(), 0);
        const QJsonArray back = grey[QStringLiteral("grey_back")].toArray();
        ASSERT_EQ(back.size(), 3);
        for (const QJsonValue channel : back)
            EXPECT_NEAR(channel.toInt(), 128, 6) << format.toStdString();
        const QJsonObject white = probe(file, {QPoint(20, 20)});
        EXPECT_EQ(white[QStringLiteral("pixels")].toArray()[0].toArray(), (QJsonArray {0, 0, 0, 0}));
        EXPECT_NEAR(white[QStringLiteral("dpi")].toArray()[0].toDouble(), 72, 0.5);
    }
    const ProgramRun info = runProgram(QStringLiteral("tiffinfo"), {out() + QStringLiteral("/Grey.tif")});
    EXPECT_TRUE(info.out.contains(QLatin1String("separated"))) << info.out.toStdString();
    EXPECT_TRUE(info.out.contains(QLatin1String("Samples/Pixel: 4"))) << info.out.toStdString();
}

TEST_F(PageRenderTest, RefusesBadInputWithOneLineAndWritesNothing)
{
    Document document;
    addPage(document);
    save(document, path(QStringLiteral("Good.qvleaf")));
    QFile damaged(path(QStringLiteral("Damaged.qvleaf")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("bplist00 this is not a document");
    damaged.close();

    const QList<QStringList> refused {
        {path(QStringLiteral("Damaged.qvleaf")), out()},
        {path(QStringLiteral("Good.qvleaf")), out(), QStringLiteral("--format"), QStringLiteral("png"),
         QStringLiteral("--dpi"), QStringLiteral("150")},
        {path(QStringLiteral("Good.qvleaf")), path(QStringLiteral("Good.qvleaf"))},
        {path(QStringLiteral("Good.qvleaf")), out(), QStringLiteral("--range"), QStringLiteral("2"), QStringLiteral("3")},
        {path(QStringLiteral("Missing.qvleaf")), out()},
    };
    for (const QStringList& arguments : refused) {
        const ProgramRun run = pageRender(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.err.trimmed().count(QLatin1Char('\n')), 0) << run.err.toStdString();
        EXPECT_FALSE(run.err.trimmed().isEmpty());
    }
    EXPECT_TRUE(written().isEmpty());
}

TEST_F(PageRenderTest, SheetsLargerThanAPdfPageOrAPictureMayBeAreRefusedWithOneLine)
{
    Document largest;
    addPage(largest, QSizeF(14400, 14400));
    save(largest, path(QStringLiteral("Largest.qvleaf")));
    ProgramRun run = pageRender({path(QStringLiteral("Largest.qvleaf")), out()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(QFile::remove(out() + QStringLiteral("/Largest.pdf")));
    Document spread;
    addPage(spread, QSizeF(10000, 10000));
    addPage(spread, QSizeF(10000, 10000));
    save(spread, path(QStringLiteral("Spread.qvleaf")));

    for (const QStringList& arguments : QList<QStringList> {
             {path(QStringLiteral("Spread.qvleaf")), out(), QStringLiteral("--booklet")},
             {path(QStringLiteral("Largest.qvleaf")), out(), QStringLiteral("--format"), QStringLiteral("png"),
              QStringLiteral("--dpi"), QStringLiteral("1200")}}) {
        run = pageRender(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.trimmed().contains(QLatin1String("too large")) && !run.err.trimmed().contains('\n'))
            << run.err.toStdString();
    }
    EXPECT_TRUE(written().isEmpty());
}

// Which page a half of a sheet shows: page i carries a red band at
// y = 20 + 30 i; a blank page has none (-1).
int pageShown(const QImage& sheet, int left)
{
    for (int i = 0; i < 10; ++i) {
        if (isRed(sheet.pixelColor(left + 50, 20 + 30 * i + 5)))
            return i;
    }
    return -1;
}

TEST_F(PageRenderTest, BookletSheetsHoldPagesInFoldingOrderWithExactBoxes)
{
    const QMap<int, QList<QPair<int, int>>> orders {
        {1, {{-1, 0}, {-1, -1}}},
        {2, {{-1, 0}, {1, -1}}},
        {3, {{-1, 0}, {1, 2}}},
        {5, {{-1, 0}, {1, -1}, {-1, 2}, {3, 4}}},
        {6, {{-1, 0}, {1, -1}, {5, 2}, {3, 4}}},
        {8, {{7, 0}, {1, 6}, {5, 2}, {3, 4}}},
    };
    for (auto order = orders.begin(); order != orders.end(); ++order) {
        const int count = order.key();
        Document document;
        // 10 × 15 cm pages.
        for (int i = 0; i < count; ++i)
            addFilledRect(*addPage(document, QSizeF(283.46, 425.2)), QRectF(10, 20 + 30 * i, 100, 10), Qt::red);
        const QString name = QStringLiteral("B%1").arg(count);
        save(document, path(name + QStringLiteral(".qvleaf")));
        const ProgramRun run = pageRender({path(name + QStringLiteral(".qvleaf")), out(), QStringLiteral("--booklet")});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QString pdf = out() + QLatin1Char('/') + name + QStringLiteral(".pdf");
        ASSERT_EQ(pdfPageCount(pdf), order->size()) << count;
        for (int sheet = 0; sheet < order->size(); ++sheet) {
            EXPECT_EQ(boxes(pdf, sheet + 1), QStringList(5, QStringLiteral("0.00 0.00 566.92 425.20")))
                << count << " pages, sheet " << sheet;
            const QImage raster = pdfPage(pdf, sheet + 1);
            EXPECT_EQ(pageShown(raster, 0), order->at(sheet).first) << count << " pages, sheet " << sheet;
            EXPECT_EQ(pageShown(raster, 283), order->at(sheet).second) << count << " pages, sheet " << sheet;
        }
    }

    // Mixed sizes: a sheet is as wide as both its pages and as tall as the taller.
    Document mixed;
    addPage(mixed, QSizeF(283.46, 425.2));
    addPage(mixed, QSizeF(300, 400));
    save(mixed, path(QStringLiteral("Mixed.qvleaf")));
    const ProgramRun run = pageRender({path(QStringLiteral("Mixed.qvleaf")), out(), QStringLiteral("--booklet")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(boxes(out() + QStringLiteral("/Mixed.pdf"), 2), QStringList(5, QStringLiteral("0.00 0.00 583.46 425.20")));
}

TEST_F(PageRenderTest, BledPagesRecordTheSheetAsBleedAndTheFinishedSizeAsTrim)
{
    // A4 with 9 points of bleed, alone and as an odd booklet, whose blank
    // page takes the same bleed.
    Document document;
    for (int i = 0; i < 3; ++i) {
        ZVCanvasView* page = addPage(document, QSizeF(595, 842));
        page->setValueForKey(u"fullBleed", true);
        page->setValueForKey(u"bleedMargin", 9.0);
        page->setCanvasFrames();
    }
    save(document, path(QStringLiteral("Bled.qvleaf")));
    ProgramRun run = pageRender({path(QStringLiteral("Bled.qvleaf")), out(), QStringLiteral("--range"),
                                 QStringLiteral("1"), QStringLiteral("1")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString sheet = QStringLiteral("0.00 0.00 613.00 860.00");
    // Media, crop, bleed, trim and art boxes; the art box is the crop box.
    EXPECT_EQ(boxes(out() + QStringLiteral("/Bled.pdf"), 1),
              (QStringList {sheet, sheet, sheet, QStringLiteral("9.00 9.00 604.00 851.00"), sheet}));

    run = pageRender({path(QStringLiteral("Bled.qvleaf")), out(), QStringLiteral("--booklet"), QStringLiteral("--name"),
                      QStringLiteral("Booklet")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString spread = QStringLiteral("0.00 0.00 1226.00 860.00");
    for (int page = 1; page <= 2; ++page) {
        EXPECT_EQ(boxes(out() + QStringLiteral("/Booklet.pdf"), page),
                  (QStringList {spread, spread, spread, QStringLiteral("9.00 9.00 1217.00 851.00"), spread}))
            << "sheet " << page;
    }
}

// Pictures are drawn and written sheet by sheet: eight Letter pages at 600
// dpi never hold more than a few rasters of 5100 × 6600 pixels at once.
TEST_F(PageRenderTest, ManyLargePicturesAreWrittenOneSheetAtATime)
{
    Document document;
    for (int i = 0; i < 8; ++i)
        addFilledRect(*addPage(document), QRectF(100, 100 + 50 * i, 200, 40), Qt::red);
    save(document, path(QStringLiteral("Eight.qvleaf")));
    const ProgramRun run = runProgram(QStringLiteral("/usr/bin/time"),
                                      {QStringLiteral("-f"), QStringLiteral("peak %M"),
                                       QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/page-render"),
                                       path(QStringLiteral("Eight.qvleaf")), out(), QStringLiteral("--format"),
                                       QStringLiteral("tiff"), QStringLiteral("--dpi"), QStringLiteral("600")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(written().size(), 8);
    const qint64 peakKilobytes = run.err.section(QStringLiteral("peak "), -1).trimmed().toLongLong();
    EXPECT_GT(peakKilobytes, 0);
#if !defined(__SANITIZE_ADDRESS__) // its shadow and its hold on freed memory raise every peak
    const qint64 raster = qint64(5100) * 6600 * 4;
    EXPECT_LT(peakKilobytes * 1024, 3 * raster) << peakKilobytes;
#endif
}


// A 1600 × 1200 JPEG photo of its own for each `index`: a gradient in a hue of its own.
QByteArray photoBytes(int index)
{
    QImage pixels(1600, 1200, QImage::Format_RGB32);
    QPainter painter(&pixels);
    QLinearGradient ramp(0, 0, 1600, 1200);
    ramp.setColorAt(0, QColor::fromHsv(index * 17 % 360, 200, 230));
    ramp.setColorAt(1, QColor::fromHsv((index * 17 + 120) % 360, 255, 90));
    painter.fillRect(pixels.rect(), ramp);
    painter.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    pixels.save(&buffer, "JPEG", 85);
    return jpeg;
}

// Twenty photos on pages 1–20 and again on 21–40 and 41–60: more than the
// decoded pictures kept at once, so each is decoded again when it comes back.
// The PDF still holds one picture object for each photo.
TEST_F(PageRenderTest, PhotosShownAgainAfterManyOthersAreStoredOnceInThePdf)
{
    Document document;
    QList<Image> photos;
    for (int i = 0; i < 20; ++i)
        photos.append(Image::fromStoredData(photoBytes(i)));
    for (int page = 0; page < 60; ++page) {
        auto element = ZVPuttyView::initWithImage(photos[page % 20]);
        element->setFrame(QRectF(100, 100, 400, 300).adjusted(-40, -40, 40, 40));
        addPage(document)->addPuttyView(element.release());
    }
    save(document, path(QStringLiteral("Sixty.qvleaf")));
    const ProgramRun run = pageRender({path(QStringLiteral("Sixty.qvleaf")), out()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString pdf = out() + QStringLiteral("/Sixty.pdf");
    const QList<QStringList> rows = pdfImageRows(pdf);
    ASSERT_EQ(rows.size(), 60);
    QList<QString> objectOfPage;
    for (const QStringList& row : rows) {
        ASSERT_GE(row.size(), 12);
        EXPECT_EQ(row[3].toInt(), 1600) << row.join(' ').toStdString();
        objectOfPage.append(row[10]);
    }
    EXPECT_EQ(QSet<QString>(objectOfPage.begin(), objectOfPage.end()).size(), 20);
    for (int page = 0; page < 20; ++page) {
        EXPECT_EQ(objectOfPage[page + 20], objectOfPage[page]) << "page " << page + 21;
        EXPECT_EQ(objectOfPage[page + 40], objectOfPage[page]) << "page " << page + 41;
    }
    // The shared picture shows on the last round's pages in its own colours.
    const QColor first = pdfPage(pdf, 2).pixelColor(300, 250);
    const QColor last = pdfPage(pdf, 42).pixelColor(300, 250);
    EXPECT_FALSE(isWhite(last));
    EXPECT_EQ(last, first);
}

} // namespace
} // namespace ql::testing
