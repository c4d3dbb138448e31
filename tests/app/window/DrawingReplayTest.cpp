// Drawing through the real window: tools chosen on the drawing-tool bar,
// strokes and paths drawn with real pointer events, a shape's points edited
// after a double click; what the saved files hold is read with plistlib.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/graphics/BezierPath.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace ql;

namespace {

class DrawingReplay : public ql::testing::ReplayFixture {
protected:
    // A saved page, empty or holding a triangle whose content is
    // (100, 100, 200, 150): apex at the top, its base drawn from left to right.
    QString makeDocument(bool withTriangle)
    {
        Document* document = controller.newDocument();
        if (withTriangle) {
            BezierPath triangle;
            triangle.moveTo(QPointF(50, 0));
            triangle.lineTo(QPointF(0, 100));
            triangle.lineTo(QPointF(100, 100));
            triangle.closePath();
            ZVPuttyView* element = ZVPuttyView::initWithVector(triangle, QStringLiteral("triangle")).release();
            element->setFrame(QRectF(60, 60, 280, 230));
            document->currentPage()->addPuttyView(element);
        }
        const QString file = path(withTriangle ? QStringLiteral("triangle.qvleaf") : QStringLiteral("empty.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        return file;
    }

    // The first page's elements as drawing_summary.py reads them.
    QJsonArray elements(const QString& file)
    {
        return QJsonDocument::fromJson(readWith(QStringLiteral("drawing_summary.py"), file).toUtf8()).array();
    }

    static QJsonArray frame(double x, double y, double w, double h) { return {x, y, w, h}; }

    QString uuidOfFirst(const QString& file)
    {
        const QJsonObject pages = QJsonDocument::fromJson(summary(file).toUtf8()).object();
        return pages[QStringLiteral("pages")].toArray().at(0)[QStringLiteral("elements")].toArray().at(0).toArray().at(0).toString();
    }
};

} // namespace

TEST_F(DrawingReplay, StrokesAndPathsBecomeShapesAndAnOpenPathIsSaved)
{
    const QString open = path(QStringLiteral("open.qvleaf"));
    const QString out = path(QStringLiteral("out.qvleaf"));
    const QString script = QStringLiteral("tool 4\npress 100 200\nmove 110 215\nmove 120 230\nrelease 120 230\nwait 150\n"
                                          "tool 3\nclick 10 10\nclick 210 10\ndclick 210 90\nclick 400 400\nwait 150\n"
                                          "tool 3\nclick 300 500\nclick 380 560\nsave %1\n")
                               .arg(open);
    const ql::testing::ToolRun run = replay(makeDocument(false), script, out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    const QJsonArray drawn = elements(out);
    ASSERT_EQ(drawn.size(), 3) << QJsonDocument(drawn).toJson().toStdString();
    const QJsonObject stroke = drawn[0].toObject();
    EXPECT_EQ(stroke[QStringLiteral("frame")].toArray(), frame(44, 149, 132, 132));
    EXPECT_EQ(stroke[QStringLiteral("kind")].toInt(), 2);
    EXPECT_EQ(stroke[QStringLiteral("name")].toString(), QStringLiteral("custom2"));
    const QJsonObject path = drawn[1].toObject();
    EXPECT_EQ(path[QStringLiteral("frame")].toArray(), frame(-31, -31, 282, 162)) << "content (9, 9, 202, 82)";
    EXPECT_EQ(path[QStringLiteral("vertices")].toInt(), 3);

    // The path still open when the copy was saved is in it, with its two points.
    const QJsonArray saved = elements(open);
    ASSERT_EQ(saved.size(), 3);
    EXPECT_EQ(saved[2].toObject()[QStringLiteral("vertices")].toInt(), 2);
}

TEST_F(DrawingReplay, APointInsertedAfterADoubleClickUndoesToTheOldOutline)
{
    const QString document = makeDocument(true);
    const QString undone = path(QStringLiteral("undone.qvleaf"));
    const QString out = path(QStringLiteral("out.qvleaf"));
    // The base of the triangle as the surface shows it runs along y = 249.5.
    const QString script = QStringLiteral("dclick 200 175\ntool 7\nclick 200 249.5\nkey Escape\nwait 150\nsave\n"
                                          "undo\nsave %1\nredo\n")
                               .arg(undone);
    const ql::testing::ToolRun run = replay(document, script, out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    const QJsonArray before = elements(document);
    const QJsonArray edited = elements(out);
    ASSERT_EQ(edited.size(), 1) << "the element once";
    EXPECT_EQ(edited[0].toObject()[QStringLiteral("name")].toString(), QStringLiteral("custom2"));
    EXPECT_EQ(edited[0].toObject()[QStringLiteral("vertices")].toInt(),
              before[0].toObject()[QStringLiteral("vertices")].toInt() + 1);
    EXPECT_EQ(uuidOfFirst(out), uuidOfFirst(document)) << "the same element";

    const QJsonArray back = elements(undone);
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].toObject(), before[0].toObject()) << "the old outline, name and frame";
}
