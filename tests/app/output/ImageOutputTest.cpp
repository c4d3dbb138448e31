// Image elements in output: page-render's picture at 72 dpi, read by PIL,
// shows the aspect-filled source, the black-and-white and inverted effects
// and the crop window at the stored offsets; the window's canvas shows the
// same page the same way.
#include "OutputTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVImageView.h"

#include <QDir>
#include <QJsonArray>
#include <QTest>
#include <gtest/gtest.h>

namespace ql::testing {
namespace {

// A 300 × 200 picture whose red counts its columns and green its rows, so
// that a pixel tells where in the source it came from.
QImage ramp()
{
    QImage image(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x)
            image.setPixel(x, y, qRgb(x * 255 / 299, y * 255 / 199, 60));
    }
    return image;
}

QColor rampAt(double x, double y)
{
    return QColor(int(x * 255 / 299), int(y * 255 / 199), 60);
}

ZVPuttyView* addPicture(ZVCanvasView& page, const QRectF& content)
{
    ZVPuttyView* element = ZVPuttyView::initWithImage(Image(ramp())).release();
    page.addPuttyView(element);
    element->setFrame(content.adjusted(-ZVPuttyView::kMargin, -ZVPuttyView::kMargin, ZVPuttyView::kMargin,
                                       ZVPuttyView::kMargin));
    element->setValueForKey(u"layerOpacity", 1.0);
    return element;
}

ZVImageView* imageOf(ZVPuttyView* element)
{
    return qobject_cast<ZVImageView*>(element->contentView());
}

bool near(QColor found, QColor expected, int tolerance = 3)
{
    return std::abs(found.red() - expected.red()) <= tolerance &&
           std::abs(found.green() - expected.green()) <= tolerance &&
           std::abs(found.blue() - expected.blue()) <= tolerance;
}

QString describe(QColor c)
{
    return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

// Points probed on each element's content, as page points.
struct Probe {
    QPoint at;
    QColor expected;
    bool grey = false; // R = G = B is what counts
};

} // namespace

TEST(ImageOutput, PageRenderAndTheCanvasShowFilledEffectedAndCroppedPictures)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("out")));
    Document document;
    ZVCanvasView* page = addPage(document);

    // Default: aspect fill of a 300 × 200 source in 100 × 100 takes the
    // middle 200 × 200 at half size: content (u, v) shows source
    // (50 + 2u, 2v).
    addPicture(*page, QRectF(50, 50, 100, 100));
    // Black and white; inverted.
    ZVPuttyView* grey = addPicture(*page, QRectF(200, 50, 100, 100));
    imageOf(grey)->setImageEffect(1);
    imageOf(grey)->setEffectsEnabled(true);
    ZVPuttyView* inverted = addPicture(*page, QRectF(350, 50, 100, 100));
    imageOf(inverted)->setImageEffect(3);
    imageOf(inverted)->setEffectsEnabled(true);
    // Cropped at offsets (−40, 30): the window starts 40 in from the left
    // and 30 up from the bottom, so content (u, v) shows source
    // (40 + u, 200 − 30 − 100 + v).
    ZVPuttyView* cropped = addPicture(*page, QRectF(50, 250, 100, 100));
    cropped->setValueForKey(u"imageXOffset", -40.0);
    cropped->setValueForKey(u"imageYOffset", 30.0);
    cropped->setValueForKey(u"imageMode", 3);
    ASSERT_TRUE(imageOf(cropped)->cropMode());
    save(document, folder.filePath(QStringLiteral("Pictures.qvleaf")));

    const QList<Probe> probes {
        {{100, 100}, rampAt(150, 100)},
        {{60, 70}, rampAt(70, 40)},
        {{140, 130}, rampAt(230, 160)},
        {{210, 70}, QColor(), true},
        {{290, 130}, QColor(), true},
        {{360, 70}, [] { const QColor c = rampAt(70, 40); return QColor(255 - c.red(), 255 - c.green(), 195); }()},
        {{440, 130}, [] { const QColor c = rampAt(230, 160); return QColor(255 - c.red(), 255 - c.green(), 195); }()},
        {{60, 260}, rampAt(50, 80)},
        {{140, 340}, rampAt(130, 160)},
    };

    const ProgramRun run = pageRender({folder.filePath(QStringLiteral("Pictures.qvleaf")), folder.filePath(QStringLiteral("out")),
                                       QStringLiteral("--format"), QStringLiteral("png"), QStringLiteral("--dpi"),
                                       QStringLiteral("72")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList files = QDir(folder.filePath(QStringLiteral("out"))).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1) << files.join(QLatin1Char(' ')).toStdString();
    QList<QPoint> points;
    for (const Probe& probe : probes)
        points.append(probe.at);
    const QJsonObject seen = probe(folder.filePath(QStringLiteral("out/") + files.first()), points);
    ASSERT_EQ(seen.value(QStringLiteral("size")).toArray(), (QJsonArray {612, 792}));
    const QJsonArray pixels = seen.value(QStringLiteral("pixels")).toArray();
    ASSERT_EQ(pixels.size(), probes.size());

    QList<QColor> written;
    for (int i = 0; i < probes.size(); ++i) {
        const QJsonArray p = pixels.at(i).toArray();
        const QColor found(p.at(0).toInt(), p.at(1).toInt(), p.at(2).toInt());
        written.append(found);
        if (probes[i].grey) {
            EXPECT_TRUE(found.red() == found.green() && found.green() == found.blue())
                << "at " << probes[i].at.x() << "," << probes[i].at.y() << ": " << describe(found).toStdString();
        } else {
            EXPECT_TRUE(near(found, probes[i].expected))
                << "at " << probes[i].at.x() << "," << probes[i].at.y() << ": " << describe(found).toStdString()
                << " for " << describe(probes[i].expected).toStdString();
        }
    }

    // The canvas draws the page through the same painter: the same colours.
    ZVScrollView view;
    view.setRulersVisible(false);
    view.resize(900, 1000);
    view.setDocumentView(page);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QImage shown = view.viewport()->grab().toImage();
    for (int i = 0; i < probes.size(); ++i) {
        const QColor onScreen = shown.pixelColor(view.mapFromPage(QPointF(probes[i].at) + QPointF(0.5, 0.5)).toPoint());
        EXPECT_TRUE(near(onScreen, written[i], 4))
            << "at " << probes[i].at.x() << "," << probes[i].at.y() << ": " << describe(onScreen).toStdString()
            << " on screen, " << describe(written[i]).toStdString() << " written";
    }
}

} // namespace ql::testing
