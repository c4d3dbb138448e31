// Flips of pictures through the real window: a dropped photo's stored
// picture and a 300-dpi PDF keep the photo's own pixels, read back by PIL
// and pdfimages; a masked photo shows the same part in the window, in the
// open document's export, in the saved file and once it is reopened, and so
// does a photo whose mask is too large to decode whole; a line drawing is
// drawn as smoothly right after a flip as when reopened.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "app/output/SheetBitmap.h"
#include "app/output/SheetDocument.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVImageView.h"
#include "design/ZVDesignHelper.h"
#include "platform/graphics/StoredBitmap.h"
#include "platform/runtime/Deferred.h"
#include "platform/undo/UndoManager.h"
#include "support/EnvironmentChange.h"
#include "support/GreyPicture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QSet>
#include <QFileInfo>
#include <QImageReader>
#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTest>
#include <cstdio>

using namespace ql;
using namespace ql::testing;

namespace {

class FlipReplay : public ReplayFixture {
protected:
    void SetUp() override
    {
        document = path(QStringLiteral("blank.qvleaf"));
        ASSERT_TRUE(controller.saveDocumentToFile(controller.newDocument(), document));
        // A Letter page at 300 dpi, red in its top-left corner.
        QImage bitmap(2550, 3300, QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        QPainter(&bitmap).fillRect(0, 0, 300, 300, Qt::red);
        bitmap.setDotsPerMeterX(11811);
        bitmap.setDotsPerMeterY(11811);
        photo = path(QStringLiteral("photo.jpg"));
        ASSERT_TRUE(bitmap.save(photo, "JPEG", 95));
    }

    // The document after dropping the photo and choosing each of `flips`
    // from the Arrange menu.
    QString flipped(const QStringList& flips)
    {
        QString script = QStringLiteral("dropfile 300 400 %1\n").arg(photo);
        for (const QString& flip : flips)
            script += QStringLiteral("menu Arrange/%1\n").arg(flip);
        const QString out = path(QStringLiteral("flipped.qvleaf"));
        QFile::remove(out);
        const ToolRun run = replay(document, script, out);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        return out;
    }

    // The one picture the document stores, as PIL reads it.
    QJsonObject stored(const QString& file)
    {
        const ProgramRun run = runProgram(QStringLiteral("/usr/bin/python3"),
                                          {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/app/window/stored_pictures.py"),
                                           file});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QJsonArray pictures = QJsonDocument::fromJson(run.out.toUtf8()).array();
        EXPECT_EQ(pictures.size(), 1) << run.out.toStdString();
        return pictures.first().toObject();
    }

    QString document;
    QString photo;
};

QString pixelSize(const QJsonObject& picture)
{
    const QJsonArray size = picture[QStringLiteral("size")].toArray();
    return QStringLiteral("%1 x %2").arg(size[0].toInt()).arg(size[1].toInt());
}

const QString kHorizontal = QStringLiteral("Flip Horizontal");
const QString kVertical = QStringLiteral("Flip Vertical");

TEST_F(FlipReplay, AFlippedPhotoKeepsItsPixelsInTheFileAndInA300DpiPdf)
{
    const QString once = flipped({kHorizontal});
    const QJsonObject picture = stored(once);
    EXPECT_EQ(pixelSize(picture), QStringLiteral("2550 x 3300"));
    EXPECT_EQ(picture[QStringLiteral("dpi")].toArray().first().toInt(), 300) << "the same size in points";
    EXPECT_EQ(picture[QStringLiteral("format")].toString(), QStringLiteral("JPEG")) << "a photo stays a photo";
    EXPECT_EQ(picture[QStringLiteral("red")].toString(), QStringLiteral("top-right"));

    const QString out = path(QStringLiteral("pdf"));
    ASSERT_TRUE(QDir().mkpath(out));
    const ProgramRun render = pageRender({once, out, QStringLiteral("--dpi"), QStringLiteral("300"),
                                          QStringLiteral("--name"), QStringLiteral("flipped")});
    ASSERT_EQ(render.exitCode, 0) << render.err.toStdString();
    const QList<QStringList> rows = pdfImageRows(out + QStringLiteral("/flipped.pdf"));
    ASSERT_EQ(rows.size(), 1);
    const QStringList& columns = rows.first();
    EXPECT_EQ(columns.mid(3, 2).join(QLatin1String(" x ")), QStringLiteral("2550 x 3300"))
        << columns.join(u' ').toStdString();

    const QJsonObject both = stored(flipped({kHorizontal, kVertical}));
    EXPECT_EQ(pixelSize(both), QStringLiteral("2550 x 3300"));
    EXPECT_EQ(both[QStringLiteral("red")].toString(), QStringLiteral("bottom-right"));
}

// The bytes of a picture file of `format` ("PNG", "JPEG").
QByteArray encoded(const QImage& pixels, const char* format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(pixels.save(&buffer, format, 95));
    return data;
}

// The share of the pixels of `area` that differ by more than 24 in a channel.
double offShare(const QImage& a, const QImage& b, QRect area = {})
{
    EXPECT_EQ(a.size(), b.size());
    if (a.size() != b.size() || a.isNull())
        return 1.0;
    area = area.isEmpty() ? a.rect() : area;
    qint64 off = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            off += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))}) > 24;
        }
    }
    return double(off) / (double(area.width()) * area.height());
}

// One page as the open document exported it right after a flip, and as the
// saved file exports once reopened; or the window's panes left of the
// inspector (which shows the selection or the page) in the same two moments.
struct Views {
    QImage flipped;
    QImage reopened;
    // The picture's original after each flip, and once reopened.
    QList<Image> originals;
};

class PictureFlips : public ReplayFixture {
protected:
    // A saved document of one page with the picture at `content`, masked by `mask`.
    QString pictureDocument(const QByteArray& picture, const QRectF& content, const QByteArray& mask = {})
    {
        Document* made = controller.newDocument();
        auto element = ZVPuttyView::initWithImage(Image::fromStoredData(picture));
        const double m = ZVPuttyView::kMargin;
        element->setFrame(content.adjusted(-m, -m, m, m));
        if (!mask.isEmpty()) {
            auto* image = static_cast<ZVImageView*>(element->contentView());
            image->setImageMask(Image::fromStoredData(mask));
            image->setImageMaskEnabled(true);
        }
        made->currentPage()->addPuttyView(element.release());
        const QString file = path(QStringLiteral("picture.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(made, file));
        controller.closeDocument(made);
        return file;
    }

    static QImage exported(Document* document, int dpi)
    {
        const SheetDocument sheets = documentForPages(document->pages());
        const Result<SheetBitmap> sheet = imageForSheet(sheets.page(0), ZVDesignHelper::sharedInstance(), dpi, 0);
        EXPECT_TRUE(sheet.ok());
        return sheet.ok() ? sheet->pixels.convertToFormat(QImage::Format_RGB32) : QImage();
    }

    // The first picture's original in a document open in the window.
    static Image originalOf(Document* document)
    {
        const QList<ZVPuttyView*>& elements = document->currentPage()->puttyViews();
        const auto* image = elements.isEmpty() ? nullptr : qobject_cast<const ZVImageView*>(elements.first()->contentView());
        return image ? image->originalImage() : Image();
    }

    // The picture selected and flipped from the Arrange menu in process, once
    // for each of `flips`; the document is saved to `saved`.
    Views exportsAfterFlip(const QString& file, const QStringList& flips, int dpi, const QString& saved)
    {
        Views views;
        Result<Document*> opened = controller.openDocumentWithContentsOfFile(file);
        EXPECT_TRUE(opened.ok());
        if (!opened.ok())
            return views;
        (*opened)->currentPage()->selectAll();
        auto* window = qobject_cast<DocumentWindow*>((*opened)->documentWindow());
        WindowMenus& menus = window->menus();
        for (const QString& flip : flips) {
            QAction* item = menus.itemAtPath(QStringLiteral("Arrange/") + flip);
            menus.validateMenuItem(item);
            item->trigger();
            // A large scan is mirrored off the window's thread.
            if (window->runsLongWork())
                EXPECT_TRUE(QTest::qWaitFor([window] { return !window->runsLongWork(); }, 300000));
            views.originals.append(originalOf(*opened));
        }
        views.flipped = exported(*opened, dpi);
        EXPECT_TRUE(controller.saveDocumentToFile(*opened, saved));
        controller.closeDocument(*opened);
        opened = controller.openDocumentWithContentsOfFile(saved);
        if (opened.ok()) {
            views.reopened = exported(*opened, dpi);
            views.originals.append(originalOf(*opened));
            controller.closeDocument(*opened);
        }
        return views;
    }

    // The window's panes below the toolbar's icons and left of the inspector,
    // the document open through canvas-replay with nothing selected.
    QImage windowPanes(const QString& file)
    {
        const QString shot = path(QStringLiteral("shot.png"));
        const ToolRun run = replay(file, QStringLiteral("click 500 700\n"), path(QStringLiteral("same.qvleaf")),
                                   {QStringLiteral("--shot"), shot});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QImage window = decodedRGB(shot);
        return window.copy(0, 100, window.width() - int(DocumentWindow::kRightPaneWidth), window.height() - 100);
    }

    // The window through canvas-replay: the picture clicked, flipped and the
    // page's empty part clicked (no handle shows); then the saved file opened.
    Views windowsAfterFlip(const QString& file, const QString& flip, QPointF picture)
    {
        const QString out = path(QStringLiteral("window.qvleaf"));
        const QString deselect = QStringLiteral("click 500 700\n");
        const auto shot = [&](const QString& from, const QString& script, const QString& saved) {
            const QString png = path(QStringLiteral("shot.png"));
            const ToolRun run = replay(from, script, saved, {QStringLiteral("--shot"), png});
            EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
            const QImage window = decodedRGB(png);
            return window.copy(0, 0, window.width() - int(DocumentWindow::kRightPaneWidth), window.height());
        };
        const QString click = QStringLiteral("click %1 %2\nmenu Arrange/%3\n").arg(picture.x()).arg(picture.y()).arg(flip);
        return {shot(file, click + deselect, out), shot(out, deselect, path(QStringLiteral("again.qvleaf")))};
    }
};

TEST_F(PictureFlips, AMaskedPhotoShowsTheSamePartOpenSavedAndReopened)
{
    // A Letter page at 300 dpi, red on its left half and blue on its right,
    // in a 200-point square; the mask shows the top-right quarter alone.
    QImage photo(2550, 3300, QImage::Format_RGB32);
    photo.fill(QColor(30, 60, 220));
    QPainter(&photo).fillRect(0, 0, 1275, 3300, QColor(220, 40, 30));
    photo.setDotsPerMeterX(11811);
    photo.setDotsPerMeterY(11811);
    QImage cover(100, 100, QImage::Format_RGB32);
    cover.fill(Qt::white);
    QPainter(&cover).fillRect(50, 0, 50, 50, Qt::black);
    const QRectF content(100, 100, 200, 200);
    const QString masked = pictureDocument(encoded(photo, "JPEG"), content, encoded(cover, "PNG"));

    // The middle of the quarter that shows after each flip.
    for (const auto& [flip, blue] : {std::pair(kHorizontal, QPoint(150, 150)), std::pair(kVertical, QPoint(250, 250))}) {
        SCOPED_TRACE(flip.toStdString());
        const QString saved = path(QStringLiteral("saved.qvleaf"));
        const Views exports = exportsAfterFlip(masked, {flip}, 72, saved);
        for (const QPoint quarter : {QPoint(150, 150), QPoint(250, 150), QPoint(150, 250), QPoint(250, 250)}) {
            const QColor c = exports.flipped.pixelColor(quarter);
            EXPECT_TRUE(quarter == blue ? c.blue() > 180 && c.red() < 80 : c == QColor(Qt::white))
                << quarter.x() << ", " << quarter.y() << ": " << c.name().toStdString();
        }
        EXPECT_EQ(offShare(exports.flipped, decodedRGB(renderPages(saved) + QStringLiteral("/page.png"))), 0.0)
            << "the saved file";
        EXPECT_EQ(offShare(exports.flipped, exports.reopened), 0.0) << "the file reopened";
        const Views windows = windowsAfterFlip(masked, flip, content.center());
        EXPECT_EQ(offShare(windows.flipped, windows.reopened), 0.0) << "the window";
    }
}

TEST_F(PictureFlips, AMaskPastTheDecodingBudgetMasksItsPhotoInTheWindowExportsAndFlips)
{
    // A 640 × 480 photo, red on its left half and blue on its right, under a
    // grey mask of 20,000 pixels square (400 MB decoded) that shows the left
    // half alone.
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(QColor(30, 60, 220));
    QPainter(&photo).fillRect(0, 0, 320, 480, QColor(220, 40, 30));
    const QRectF content(100, 100, 320, 240);
    const QByteArray mask = splitGreyPng(QSize(20000, 20000), 10000);
    const QString masked = pictureDocument(encoded(photo, "JPEG"), content, mask);
    const QPoint left(180, 220), right(340, 220);
    const auto isBlue = [](QColor c) { return c.blue() > 180 && c.red() < 80; };

    const QImage page = decodedRGB(renderPages(masked) + QStringLiteral("/page.png"));
    EXPECT_TRUE(isRed(page.pixelColor(left))) << page.pixelColor(left).name().toStdString();
    EXPECT_TRUE(isWhite(page.pixelColor(right))) << page.pixelColor(right).name().toStdString();

    const QImage window = windowPanes(masked);
    EXPECT_GT(centroid(window, isRed).x(), 0) << "the photo's left half shows";
    EXPECT_LT(centroid(window, isBlue).x(), 0) << "its right half is masked";

    // Flipped, the mask turns with the photo: its red half shows on the right.
    const QString saved = path(QStringLiteral("saved.qvleaf"));
    const Views exports = exportsAfterFlip(masked, {kHorizontal}, 72, saved);
    EXPECT_TRUE(isWhite(exports.flipped.pixelColor(left))) << exports.flipped.pixelColor(left).name().toStdString();
    EXPECT_TRUE(isRed(exports.flipped.pixelColor(right))) << exports.flipped.pixelColor(right).name().toStdString();
    EXPECT_EQ(offShare(exports.flipped, exports.reopened), 0.0) << "the file reopened";
}

TEST_F(PictureFlips, WhatAMaskHidesNeverShowsWhetherOrNotTheMaskDecodes)
{
    // Red on the photo's left half, blue on its right; each mask shows the
    // left half alone, or cannot be decoded at all.
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(QColor(30, 60, 220));
    QPainter(&photo).fillRect(0, 0, 320, 480, QColor(220, 40, 30));
    const QRectF content(100, 100, 320, 240);
    const auto isBlue = [](QColor c) { return c.blue() > 180 && c.red() < 80; };
    const QList<std::pair<QByteArray, bool>> masks {
        {splitPng(QSize(24000, 24000), 12000, SplitDepth::Grey8), true},
        {splitPng(QSize(12000, 12000), 6000, SplitDepth::OneBit), true},
        {cutShortPng(QSize(30000, 30000)), false},
    };
    for (const auto& [mask, decodes] : masks) {
        SCOPED_TRACE(decodes ? mask.size() : 0);
        const QString masked = pictureDocument(encoded(photo, "JPEG"), content, mask);
        const QString out = path(QStringLiteral("rendered"));
        ASSERT_TRUE(QDir().mkpath(out));
        const ProgramRun render = pageRender({masked, out, QStringLiteral("--format"), QStringLiteral("png"),
                                              QStringLiteral("--dpi"), QStringLiteral("72"), QStringLiteral("--name"),
                                              QStringLiteral("page")});
        EXPECT_EQ(render.exitCode, decodes ? 0 : 1) << render.err.toStdString();
        const QImage page = decodedRGB(out + QStringLiteral("/page.png"));
        EXPECT_EQ(isRed(page.pixelColor(180, 220)), decodes) << "the left half shows, or a placeholder";
        EXPECT_LT(centroid(page, isBlue).x(), 0) << "the right half is hidden in the export";
        EXPECT_LT(centroid(windowPanes(masked), isBlue).x(), 0) << "and in the window";
    }
}

TEST_F(PictureFlips, ALineDrawingIsAsSmoothRightAfterAFlipAsWhenReopened)
{
    // 800 × 600 pixels of one-pixel circles 5 pixels apart, which turn to
    // moiré where a picture drawn smaller skips pixels. Its alpha channel
    // keeps it lossless in the file.
    QImage drawing(800, 600, QImage::Format_ARGB32);
    drawing.fill(Qt::white);
    {
        QPainter painter(&drawing);
        for (int radius = 5; radius < 520; radius += 5)
            painter.drawEllipse(QPoint(400, 300), radius, radius);
    }
    // A fifth of its pixels in the window at 100 %, 83 % of them at 300 dpi.
    const QRectF content(100, 100, 160, 120);
    const QString lines = pictureDocument(encoded(drawing, "PNG"), content);

    const Views exports = exportsAfterFlip(lines, {kHorizontal}, 300, path(QStringLiteral("saved.qvleaf")));
    const double exportShare = offShare(exports.flipped, exports.reopened,
                                        QRectF(content.topLeft() * 300 / 72, content.size() * 300 / 72).toRect());
    const Views windows = windowsAfterFlip(lines, kHorizontal, content.center());
    // Only the picture differs: the share of its pixels.
    const double windowShare = offShare(windows.flipped, windows.reopened) * windows.flipped.width()
                             * windows.flipped.height() / (content.width() * content.height());
    std::printf("pixels off by more than 24 after a flip: %.2f %% in the window, %.2f %% at 300 dpi\n",
                100 * windowShare, 100 * exportShare);
    EXPECT_LT(windowShare, 0.005);
    EXPECT_LT(exportShare, 0.005);
}

TEST_F(PictureFlips, AScanPastTheDecodingBudgetFlipsAtItsFullSize)
{
    // A 1-bit scan of 20,000 × 18,000 pixels (360 MB decoded), black on its
    // left 6,000 columns: shown at reduced resolution, flipped at its own.
    const QSize scan(20000, 18000);
    const QRectF content(100, 100, 400, 360);
    const QString file = pictureDocument(splitPng(scan, 6000, SplitDepth::OneBit), content);
    const QString saved = path(QStringLiteral("saved.qvleaf"));
    const Views exports = exportsAfterFlip(file, {kHorizontal}, 72, saved);
    const QPoint left(150, 280), right(450, 280);
    for (const QImage& page : {exports.flipped, exports.reopened}) {
        EXPECT_TRUE(isWhite(page.pixelColor(left))) << page.pixelColor(left).name().toStdString();
        EXPECT_LT(qGray(page.pixel(right)), 30) << page.pixelColor(right).name().toStdString();
    }
    EXPECT_LT(QFileInfo(saved).size(), qint64(8) << 20) << "a few megabytes";

    ASSERT_EQ(exports.originals.size(), 2);
    const Image original = exports.originals.last();
    EXPECT_EQ(exports.originals.first().size(), QSizeF(scan));
    EXPECT_EQ(original.size(), QSizeF(scan));
    QBuffer buffer;
    buffer.setData(original.firstRepresentation().encodedData());
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    EXPECT_EQ(reader.size(), scan) << "every pixel of the scan";
    reader.setScaledSize(scan / 10);
    const QImage pixels = reader.read();
    ASSERT_EQ(pixels.size(), scan / 10);
    EXPECT_TRUE(isWhite(pixels.pixelColor(1390, 900))) << pixels.pixelColor(1390, 900).name().toStdString();
    EXPECT_LT(qGray(pixels.pixel(1410, 900)), 30) << "mirrored at its own pixels";
}

TEST_F(PictureFlips, AFlippedPhotoKeepsItsSizeInPointsExactly)
{
    // At the toolkit's own resolution (taken for 72 dpi) and at 72 dpi.
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(QColor(30, 60, 220));
    QPainter(&photo).fillRect(0, 0, 320, 480, QColor(220, 40, 30));
    for (const int dotsPerMeter : {0, 2835}) {
        SCOPED_TRACE(dotsPerMeter);
        if (dotsPerMeter) {
            photo.setDotsPerMeterX(dotsPerMeter);
            photo.setDotsPerMeterY(dotsPerMeter);
        }
        const QString file = pictureDocument(encoded(photo, "JPEG"), QRectF(100, 100, 320, 240));
        const Views views = exportsAfterFlip(file, {kHorizontal, kHorizontal}, 72, path(QStringLiteral("saved.qvleaf")));
        ASSERT_EQ(views.originals.size(), 3);
        const QSizeF points = Image::fromStoredData(encoded(photo, "JPEG")).size();
        for (const QSizeF size : {views.originals[0].size(), views.originals[1].size(), views.originals[2].size()})
            EXPECT_EQ(size, points) << size.width() << " x " << size.height();
        EXPECT_TRUE(isRed(views.reopened.pixelColor(180, 220))) << "turned back";
    }
}

// Whether this process holds a file open in `folder`, named or not.
bool openFileIn(const QString& folder)
{
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : descriptors.entryList(QDir::Files | QDir::System)) {
        if (QFileInfo(descriptors.filePath(fd)).symLinkTarget().startsWith(folder + u'/'))
            return true;
    }
    return false;
}

TEST_F(PictureFlips, ALargeFlipShowsItsProgressWhileTheWindowPaintsAndUndoesAsOneStep)
{
    // A palette scan of 8,200 pixels square (269 MB at 32 bits), red on its
    // left half: mirrored from its file, its rows held in a temporary file.
    const QSize scan(8200, 8200);
    const QString file = pictureDocument(splitPng(scan, 4100, SplitDepth::Palette8), QRectF(100, 100, 400, 400));
    const QString rows = path(QStringLiteral("rows"));
    ASSERT_TRUE(QDir().mkpath(rows));
    const EnvironmentChange temporary("TMPDIR", rows.toStdString());
    Result<Document*> opened = controller.openDocumentWithContentsOfFile(file);
    ASSERT_TRUE(opened.ok());
    auto* window = qobject_cast<DocumentWindow*>((*opened)->documentWindow());
    window->show();
    QCoreApplication::processEvents();
    DeferredCalls::instance().flush();
    const Image before = originalOf(*opened);
    (*opened)->currentPage()->selectAll();
    QAction* item = window->menus().itemAtPath(QStringLiteral("Arrange/") + kHorizontal);
    window->menus().validateMenuItem(item);
    item->trigger();

    // Under way: the progress panel over a window that paints and takes no input.
    auto* panel = window->findChild<QWidget*>(QStringLiteral("loadingPanel"));
    auto* indicator = window->findChild<QProgressBar*>(QStringLiteral("loadingIndicator"));
    ASSERT_TRUE(panel && indicator);
    EXPECT_TRUE(panel->isVisible() && panel->isModal()) << "the flip holds the window up";
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Flipping..."));
    QWidget* canvas = window->scrollView()->viewport();
    struct : QObject {
        bool painted = false;
        // Decodes made by the time the panel went: the window's own follow.
        quint64 decodesAtEnd = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            painted = painted || event->type() == QEvent::Paint;
            if (event->type() == QEvent::Hide)
                decodesAtEnd = StoredBitmap::decodeCount();
            return false;
        }
    } paints;
    canvas->installEventFilter(&paints);
    panel->installEventFilter(&paints);
    canvas->update();
    QSet<int> shown;
    bool rowsInFile = false;
    QElapsedTimer clock;
    clock.start();
    while (panel->isVisible() && clock.elapsed() < 300000) {
        shown.insert(indicator->value());
        rowsInFile = rowsInFile || openFileIn(rows);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    canvas->removeEventFilter(&paints);
    panel->removeEventFilter(&paints);
    EXPECT_TRUE(paints.painted) << "the window paints meanwhile";
    canvas->repaint();
    EXPECT_EQ(StoredBitmap::decodeCount(), paints.decodesAtEnd) << "the flipped picture is drawn as decoded by the work";
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](int v) { return v > 0 && v < 1000; }))
        << "how far it has come";
    EXPECT_TRUE(rowsInFile) << "the file is read once, into rows on disk";
    EXPECT_FALSE(openFileIn(rows));
    EXPECT_TRUE(QDir(rows).isEmpty()) << "and these are gone";

    // Mirrored at its full size, as one step that undoes to the file's own bytes.
    const Image flipped = originalOf(*opened);
    QBuffer buffer;
    buffer.setData(flipped.firstRepresentation().encodedData());
    QImageReader reader(&buffer);
    EXPECT_EQ(reader.size(), scan);
    reader.setScaledSize(scan / 20);
    const QImage pixels = reader.read();
    EXPECT_TRUE(isRed(pixels.pixelColor(300, 200))) << pixels.pixelColor(300, 200).name().toStdString();
    UndoManager* undo = (*opened)->undoManager();
    undo->undo();
    EXPECT_EQ(originalOf(*opened).firstRepresentation().encodedData(), before.firstRepresentation().encodedData());
    EXPECT_FALSE(undo->canUndo()) << "one step";
    undo->redo();
    EXPECT_EQ(originalOf(*opened), flipped);
    controller.closeDocument(*opened);

    // A picture already drawn as a placeholder is refused at once.
    const QString cut = pictureDocument(cutShortPng(QSize(20000, 18000)), QRectF(100, 100, 400, 360));
    opened = controller.openDocumentWithContentsOfFile(cut);
    ASSERT_TRUE(opened.ok());
    EXPECT_TRUE(originalOf(*opened).isUndecodable());
    DeferredCalls::instance().flush();
    (*opened)->currentPage()->selectAll();
    window = qobject_cast<DocumentWindow*>((*opened)->documentWindow());
    item = window->menus().itemAtPath(QStringLiteral("Arrange/") + kHorizontal);
    window->menus().validateMenuItem(item);
    item->trigger();
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("loadingPanel"))->isVisible()) << "nothing to wait for";
    DeferredCalls::instance().flush();
    ASSERT_FALSE(prompter.alerts.isEmpty());
    EXPECT_EQ(prompter.alerts.last().messageText, QStringLiteral("The picture could not be flipped."));
    controller.closeDocument(*opened);
}

} // namespace
