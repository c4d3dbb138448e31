// Crop panning through the real window: canvas-replay drags on cropped
// pictures, and plistlib reads the offsets the saved document keeps;
// page-render shows which window of the picture a crop shows.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonArray>
#include <QProcess>

using namespace ql;

namespace {

// Each element's uuid → [imageXOffset, imageYOffset, frame origin x, y,
// cropScale].
const char* const kOffsets = R"(
import json, plistlib, sys
archive = plistlib.load(open(sys.argv[1], "rb"))
objects = archive["$objects"]
def resolve(v):
    v = objects[v.data] if isinstance(v, plistlib.UID) else v
    return None if v == "$null" else v
out = {}
for page_ref in resolve(archive["$top"]["pages"])["NS.objects"]:
    for ref in resolve(resolve(page_ref)["puttyViews"])["NS.objects"]:
        e = resolve(ref)
        frame = resolve(e["frame"]).strip("{}").replace("{", "").replace("}", "").split(",")
        out[resolve(e["uuid"])] = [e.get("imageXOffset", 0), e.get("imageYOffset", 0), float(frame[0]), float(frame[1]),
                                   resolve(e["cropScale"])]
print(json.dumps(out))
)";

class CropReplay : public ql::testing::ReplayFixture {
protected:
    // Content 200 × 100 at (140, 140): frame (100, 100, 280, 180).
    ZVPuttyView* addCropped(ZVCanvasView* page, QPointF origin, double scale, double rotation = 0.0)
    {
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        auto element = ZVPuttyView::initWithImage(Image(picture));
        ZVPuttyView* raw = element.get();
        page->addPuttyView(element.release());
        raw->setFrame(QRectF(origin, QSizeF(280, 180)));
        raw->setRotation(rotation);
        raw->setValueForKey(u"cropScale", scale);
        raw->setValueForKey(u"imageMode", 3);
        return raw;
    }

    QJsonObject run(const QString& input, const QString& script)
    {
        QFile file(path(QStringLiteral("script.txt")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(script.toUtf8());
        file.close();
        const QString out = path(QStringLiteral("out.qvleaf"));
        QFile::remove(out);
        QProcess tool;
        tool.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/canvas-replay"), {input, file.fileName(), out});
        EXPECT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        QProcess python;
        python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(kOffsets), out});
        EXPECT_TRUE(python.waitForFinished(30000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    }
};

QList<double> numbers(const QJsonValue& value)
{
    QList<double> result;
    for (const QJsonValue& v : value.toArray())
        result.append(v.toDouble());
    return result;
}

} // namespace

TEST_F(CropReplay, DragsPanTheCropWindowAndUndoPutsItBack)
{
    Document* document = controller.newDocument();
    ZVCanvasView* page = document->currentPage();
    const QString flat = addCropped(page, QPointF(100, 100), 2.0)->uuid();
    const QString turned = addCropped(page, QPointF(100, 400), 1.0, 90.0)->uuid();
    ZVPuttyView* lockedElement = addCropped(page, QPointF(400, 100), 1.0);
    lockedElement->setValueForKey(u"isLocked", true);
    const QString locked = lockedElement->uuid();
    const QString input = path(QStringLiteral("crop.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, input));

    // 20 points right at scale 2: 10 picture units; the element stays.
    QJsonObject seen = run(input, QStringLiteral("press 240 190\nmove 250 190\nmove 260 190\nrelease 260 190\n"));
    EXPECT_EQ(numbers(seen.value(flat)), (QList<double> {10, 0, 100, 100, 2}));

    // Pans accumulate; undo takes the last one back.
    seen = run(input, QStringLiteral("press 240 190\nmove 260 190\nrelease 260 190\n"
                                     "press 240 190\nmove 240 210\nrelease 240 210\n"));
    EXPECT_EQ(numbers(seen.value(flat)), (QList<double> {10, 10, 100, 100, 2}));
    seen = run(input, QStringLiteral("press 240 190\nmove 260 190\nrelease 260 190\n"
                                     "press 240 190\nmove 240 210\nrelease 240 210\nundo\n"));
    EXPECT_EQ(numbers(seen.value(flat)), (QList<double> {10, 0, 100, 100, 2}));

    // A nudged cropped picture keeps its offsets.
    seen = run(input, QStringLiteral("press 240 190\nmove 260 190\nrelease 260 190\nkey Right\nkey Down\n"));
    EXPECT_EQ(numbers(seen.value(flat)), (QList<double> {10, 0, 101, 101, 2}));

    // Turned by 90: a horizontal drag changes only the y offset.
    seen = run(input, QStringLiteral("press 240 490\nmove 250 490\nmove 260 490\nrelease 260 490\n"));
    const QList<double> turnedOffsets = numbers(seen.value(turned));
    ASSERT_EQ(turnedOffsets.size(), 5);
    EXPECT_NEAR(turnedOffsets[0], 0.0, 1e-6);
    EXPECT_NEAR(std::abs(turnedOffsets[1]), 20.0, 1e-4);

    // A locked element neither pans nor moves.
    seen = run(input, QStringLiteral("press 540 190\nmove 560 200\nrelease 560 200\n"));
    EXPECT_EQ(numbers(seen.value(locked)), (QList<double> {0, 0, 400, 100, 1}));
}

namespace {

// A picture 300 × 240 points large at `dpi`, whose red counts its points
// across and green its points down.
Image gauge(int dpi)
{
    const double perPoint = dpi / 72.0;
    QImage picture(qRound(300 * perPoint), qRound(240 * perPoint), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(int((x + 0.5) / perPoint * 255 / 300), int((y + 0.5) / perPoint * 255 / 240), 60));
    }
    picture.setDotsPerMeterX(qRound(dpi / 0.0254));
    picture.setDotsPerMeterY(qRound(dpi / 0.0254));
    return Image(picture);
}

// How many of the 96 × 96 inner pixels of a 100-point content at `content`
// on a page drawn at 72 dpi are off by more than 3 from the window a crop at
// `offsets` (points) and `scale` shows: it starts −x across and y up from
// the picture's bottom, and shows a picture point per 1 ÷ scale points.
int offWindow(const QImage& page, QPoint content, QPointF offsets, double scale)
{
    int off = 0;
    for (int v = 2; v < 98; ++v) {
        for (int u = 2; u < 98; ++u) {
            const double x = -offsets.x() + (u + 0.5) / scale;
            const double y = 240 - offsets.y() - 100 / scale + (v + 0.5) / scale;
            const QRgb seen = page.pixel(content.x() + u, content.y() + v);
            off += std::abs(qRed(seen) - x * 255 / 300) > 3 || std::abs(qGreen(seen) - y * 255 / 240) > 3;
        }
    }
    return off;
}

} // namespace

TEST_F(CropReplay, ACropShowsThePictureAtItsOwnSizeAndDocumentsKeepItsPixels)
{
    Document* document = controller.newDocument();
    ZVCanvasView* page = document->currentPage();
    struct Cropped {
        int dpi;
        double scale;
        QPoint content;
        QString uuid;
    };
    QList<Cropped> cropped {{300, 1, {50, 50}}, {300, 2, {200, 50}}, {72, 1, {50, 200}}, {72, 2, {200, 200}}};
    for (Cropped& c : cropped) {
        ZVPuttyView* element = ZVPuttyView::initWithImage(gauge(c.dpi)).release();
        page->addPuttyView(element);
        c.uuid = element->uuid();
        element->setFrame(QRectF(c.content - QPoint(40, 40), QSizeF(180, 180)));
        element->setValueForKey(u"cropScale", c.scale);
        element->setValueForKey(u"imageXOffset", -40.0);
        element->setValueForKey(u"imageYOffset", 30.0);
        element->setValueForKey(u"imageMode", 3);
    }
    const QString input = path(QStringLiteral("crop.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, input));
    const auto pageOf = [this](const QString& file) {
        const QString out = renderPages(file);
        const QStringList pages = QDir(out).entryList(QDir::Files);
        return QImage(out + QLatin1Char('/') + pages.value(0)).convertToFormat(QImage::Format_RGB32);
    };
    QImage drawn = pageOf(input);
    ASSERT_EQ(drawn.size(), QSize(612, 792));
    for (const Cropped& c : cropped)
        EXPECT_LT(offWindow(drawn, c.content, {-40, 30}, c.scale), 92) << c.dpi << " dpi at " << c.scale;

    // A drag of 20 points at scale 2 moves the picture 20 points: 10 of its
    // own. Documents keep the offsets and scale in the picture's pixels, as
    // they always have: 300 dpi has 300 ÷ 72 a point.
    const QJsonObject seen = run(input, QStringLiteral("press 250 100\nmove 270 100\nrelease 270 100\n"));
    for (const Cropped& c : cropped) {
        const double pixels = c.dpi / 72.0;
        const QList<double> kept {(c.content == QPoint(200, 50) ? -30 : -40) * pixels, 30 * pixels,
                                  c.content.x() - 40.0, c.content.y() - 40.0, c.scale / pixels};
        const QList<double> stored = numbers(seen.value(c.uuid));
        ASSERT_EQ(stored.size(), 5);
        for (int j = 0; j < 5; ++j)
            EXPECT_NEAR(stored[j], kept[j], 1e-3 * std::abs(kept[j])) << c.dpi << " dpi at " << c.scale << ": " << j;
    }

    // A document cropped at 100 % before crops counted in the picture's
    // points showed the 300-dpi picture a pixel a point, and still does.
    ql::testing::editWithPlistlib(input, QStringLiteral(
        "o = d['$objects']\n"
        "e = [e for e in o if isinstance(e, dict) and 'cropScale' in e and abs(o[e['cropScale'].data] - 0.24) < 1e-3][0]\n"
        "o.append(1.0)\n"
        "e['cropScale'] = plistlib.UID(len(o) - 1)"));
    drawn = pageOf(input);
    ASSERT_EQ(drawn.size(), QSize(612, 792));
    EXPECT_LT(offWindow(drawn, cropped[0].content, {-40, 30}, 300.0 / 72.0), 92);
}
