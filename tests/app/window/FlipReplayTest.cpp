// Flips of pictures through the real window: a dropped photo's stored
// picture and a 300-dpi PDF keep the photo's own pixels, read back by PIL
// and pdfimages; a masked photo shows the same part in the window, in the
// open document's export, in the saved file and once it is reopened; a
// line drawing is drawn as smoothly right after a flip as when reopened.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "app/output/SheetBitmap.h"
#include "app/output/SheetDocument.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"
#include "design/ZVDesignHelper.h"

#include <QAction>
#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
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
    area = area.isEmpty() ? a.rect() : area.intersected(a.rect());
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

class PictureFlips : public ReplayFixture {
protected:
    // A document of one page with the picture's element at `content`, saved.
    QString pictureDocument(const QString& name, const QByteArray& picture, const QRectF& content,
                            const QByteArray& mask = {})
    {
        Document* made = controller.newDocument();
        std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithImage(Image::fromStoredData(picture));
        element->setFrame(content.adjusted(-ZVPuttyView::kMargin, -ZVPuttyView::kMargin, ZVPuttyView::kMargin,
                                           ZVPuttyView::kMargin));
        if (!mask.isEmpty()) {
            auto* image = static_cast<ZVImageView*>(element->contentView());
            image->setImageMask(Image::fromStoredData(mask));
            image->setImageMaskEnabled(true);
        }
        made->currentPage()->addPuttyView(element.release());
        const QString file = path(name);
        EXPECT_TRUE(controller.saveDocumentToFile(made, file));
        controller.closeDocument(made);
        return file;
    }

    // The document's page as exporting it gives it, at `dpi`.
    static QImage exported(Document* document, int dpi)
    {
        const SheetDocument sheets = documentForPages(document->pages());
        const Result<SheetBitmap> sheet = imageForSheet(sheets.page(0), ZVDesignHelper::sharedInstance(), dpi, 0);
        EXPECT_TRUE(sheet.ok());
        return sheet.ok() ? sheet->pixels.convertToFormat(QImage::Format_RGB32) : QImage();
    }

    // The document opened, its picture flipped from the Arrange menu, and
    // its page exported at `dpi` at once; the document is then saved to
    // `saved`. With `reopened`, the saved file's page exported once it is
    // opened again.
    QImage exportedAfterFlip(const QString& file, const QString& flip, int dpi, const QString& saved,
                             QImage* reopened = nullptr)
    {
        const Result<Document*> opened = controller.openDocumentWithContentsOfFile(file);
        EXPECT_TRUE(opened.ok());
        if (!opened.ok())
            return {};
        Document* document = *opened;
        document->currentPage()->selectAll();
        auto* window = qobject_cast<DocumentWindow*>(document->documentWindow());
        QAction* item = window ? window->menus().itemAtPath(QStringLiteral("Arrange/") + flip) : nullptr;
        EXPECT_TRUE(item);
        if (item) {
            window->menus().validateMenuItem(item);
            item->trigger();
        }
        const QImage page = exported(document, dpi);
        EXPECT_TRUE(controller.saveDocumentToFile(document, saved));
        controller.closeDocument(document);
        if (reopened) {
            const Result<Document*> again = controller.openDocumentWithContentsOfFile(saved);
            EXPECT_TRUE(again.ok());
            if (again.ok()) {
                *reopened = exported(*again, dpi);
                controller.closeDocument(*again);
            }
        }
        return page;
    }

    // The window's panes left of the inspector (which shows the selection's
    // or the page's settings) after the script, kept in `shot`; the document
    // it saved is `out`.
    QImage windowAfter(const QString& file, const QString& script, const QString& out, const QString& shot)
    {
        const ToolRun run = replay(file, script, out, {QStringLiteral("--shot"), path(shot)});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QImage window = decodedRGB(path(shot));
        return window.copy(0, 0, window.width() - int(DocumentWindow::kRightPaneWidth), window.height());
    }

    // A page of 72 dpi as page-render writes it from a saved file.
    QImage rendered(const QString& file, int dpi)
    {
        const QString out = path(QStringLiteral("rendered"));
        QDir().mkpath(out);
        const ProgramRun run = pageRender({file, out, QStringLiteral("--format"), QStringLiteral("png"),
                                           QStringLiteral("--dpi"), QString::number(dpi), QStringLiteral("--name"),
                                           QStringLiteral("p")});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return decodedRGB(out + QStringLiteral("/p.png"));
    }
};

// Clicks the picture, flips it from the menu and clicks the page's empty
// part, so that no handle shows.
QString flipScript(const QString& flip, QPointF picture)
{
    return QStringLiteral("click %1 %2\nmenu Arrange/%3\nclick 500 700\n").arg(picture.x()).arg(picture.y()).arg(flip);
}

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
    const QString masked = pictureDocument(QStringLiteral("masked.qvleaf"), encoded(photo, "JPEG"), content,
                                           encoded(cover, "PNG"));

    const struct {
        QString flip;
        QPointF blue; // the middle of the quarter that shows
    } flips[] = {{kHorizontal, {150, 150}}, {kVertical, {250, 250}}};
    for (const auto& [flip, blue] : flips) {
        SCOPED_TRACE(flip.toStdString());
        const QString saved = path(QStringLiteral("saved.qvleaf"));
        QImage reopened;
        const QImage open = exportedAfterFlip(masked, flip, 72, saved, &reopened);
        const QImage fromFile = rendered(saved, 72);
        const auto colourAt = [&](QPointF point) { return open.pixelColor(point.toPoint()); };
        EXPECT_GT(colourAt(blue).blue(), 180) << "the quarter the mask shows, turned over";
        for (const QPointF other : {QPointF(150, 150), QPointF(250, 150), QPointF(150, 250), QPointF(250, 250)}) {
            if (other != blue)
                EXPECT_EQ(colourAt(other), QColor(Qt::white)) << other.x() << ", " << other.y();
        }
        EXPECT_EQ(offShare(open, fromFile), 0.0) << "the saved file";
        EXPECT_EQ(offShare(open, reopened), 0.0) << "the file reopened";

        // The window, and the window once the saved file is opened again.
        const QString out = path(QStringLiteral("window.qvleaf"));
        const QImage window = windowAfter(masked, flipScript(flip, content.center()), out, QStringLiteral("flipped.png"));
        const QImage again = windowAfter(out, QStringLiteral("click 500 700\n"), path(QStringLiteral("again.qvleaf")),
                                         QStringLiteral("again.png"));
        EXPECT_EQ(offShare(window, again), 0.0) << "the window";
    }
}

TEST_F(PictureFlips, ALineDrawingIsAsSmoothRightAfterAFlipAsWhenReopened)
{
    // 800 × 600 pixels of one-pixel lines: circles 5 pixels apart, which
    // show moiré when a picture drawn smaller skips pixels. It keeps an alpha
    // channel, so that the file keeps its pixels as they are.
    QImage drawing(800, 600, QImage::Format_ARGB32);
    drawing.fill(Qt::white);
    {
        QPainter painter(&drawing);
        painter.setPen(QPen(Qt::black, 1));
        for (int radius = 5; radius < 520; radius += 5)
            painter.drawEllipse(QPoint(400, 300), radius, radius);
    }
    // Drawn at a fifth of its pixels in the window at 100 %, and at 83 % of
    // them at 300 dpi.
    const QRectF content(100, 100, 160, 120);
    const QString lines = pictureDocument(QStringLiteral("lines.qvleaf"), encoded(drawing, "PNG"), content);

    QImage reopened;
    const QImage open = exportedAfterFlip(lines, kHorizontal, 300, path(QStringLiteral("saved.qvleaf")), &reopened);
    const QRect area = QRectF(content.topLeft() * 300 / 72, content.size() * 300 / 72).toRect();
    const double exportShare = offShare(open, reopened, area);

    const QString out = path(QStringLiteral("window.qvleaf"));
    const QImage window = windowAfter(lines, flipScript(kHorizontal, content.center()), out, QStringLiteral("flipped.png"));
    const QImage again = windowAfter(out, QStringLiteral("click 500 700\n"), path(QStringLiteral("again.qvleaf")),
                                     QStringLiteral("again.png"));
    // Only the picture differs: its share of the window's pixels.
    const double windowShare = offShare(window, again) * window.width() * window.height() / (content.width() * content.height());
    std::printf("pixels off by more than 24 after a flip: %.2f %% in the window, %.2f %% at 300 dpi\n",
                100 * windowShare, 100 * exportShare);
    EXPECT_LT(windowShare, 0.005);
    EXPECT_LT(exportShare, 0.005);
}

} // namespace
