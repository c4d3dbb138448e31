// Crop panning through the real window: canvas-replay drags on cropped
// pictures, and plistlib reads the offsets the saved document keeps.
#include "../document/DocumentTestSupport.h"

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

// Each element's uuid → [imageXOffset, imageYOffset, frame origin x, y].
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
        out[resolve(e["uuid"])] = [e.get("imageXOffset", 0), e.get("imageYOffset", 0), float(frame[0]), float(frame[1])]
print(json.dumps(out))
)";

class CropReplay : public ql::testing::DocumentFixture {
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
    EXPECT_EQ(numbers(seen.value(flat)), (QList<double> {10, 0, 100, 100}));

    // Pans accumulate; undo takes the last one back.
    seen = run(input, QStringLiteral("press 240 190\nmove 260 190\nrelease 260 190\n"
                                     "press 240 190\nmove 240 210\nrelease 240 210\n"));
    EXPECT_EQ(numbers(seen.value(flat)), (QList<double> {10, 10, 100, 100}));
    seen = run(input, QStringLiteral("press 240 190\nmove 260 190\nrelease 260 190\n"
                                     "press 240 190\nmove 240 210\nrelease 240 210\nundo\n"));
    EXPECT_EQ(numbers(seen.value(flat)), (QList<double> {10, 0, 100, 100}));

    // A nudged cropped picture keeps its offsets.
    seen = run(input, QStringLiteral("press 240 190\nmove 260 190\nrelease 260 190\nkey Right\nkey Down\n"));
    EXPECT_EQ(numbers(seen.value(flat)), (QList<double> {10, 0, 101, 101}));

    // Turned by 90: a horizontal drag changes only the y offset.
    seen = run(input, QStringLiteral("press 240 490\nmove 250 490\nmove 260 490\nrelease 260 490\n"));
    const QList<double> turnedOffsets = numbers(seen.value(turned));
    ASSERT_EQ(turnedOffsets.size(), 4);
    EXPECT_NEAR(turnedOffsets[0], 0.0, 1e-6);
    EXPECT_NEAR(std::abs(turnedOffsets[1]), 20.0, 1e-4);

    // A locked element neither pans nor moves.
    seen = run(input, QStringLiteral("press 540 190\nmove 560 200\nrelease 560 200\n"));
    EXPECT_EQ(numbers(seen.value(locked)), (QList<double> {0, 0, 400, 100}));
}
