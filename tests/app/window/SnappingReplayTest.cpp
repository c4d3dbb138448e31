// Snapping through the real window: a dragged element snaps to the margin
// box within 2 points unless snapping is off, a resized edge snaps to a ruler
// guide, and several elements dragged together never snap.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/graphics/RulerMarker.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace ql;

namespace {

class SnappingReplay : public ql::testing::ReplayFixture {
protected:
    // A Letter page with margins 36 and one text box at (100, 100, 280, 180);
    // a second box far away and a vertical guide at 400 when asked.
    QString makeDocument(bool second, bool guide)
    {
        Document* document = controller.newDocument();
        ZVCanvasView* page = document->currentPage();
        const auto add = [page](const QRectF& frame) {
            ZVPuttyView* element = ZVPuttyView::initWithText().release();
            page->addPuttyView(element);
            element->setFrame(frame);
        };
        add(QRectF(100, 100, 280, 180));
        if (second)
            add(QRectF(300, 450, 280, 180));
        if (guide) {
            RulerMarker marker;
            marker.location = 400;
            page->setHorizontalMarkers({marker});
        }
        const QString file = path(QStringLiteral("snapping%1%2.qvleaf").arg(second).arg(guide));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        return file;
    }

    // The frames of the first page's elements after the script.
    QList<QRectF> frames(const QString& document, const QString& script)
    {
        static int count = 0;
        const QString out = path(QStringLiteral("out%1.qvleaf").arg(++count));
        const ql::testing::ToolRun run = replay(document, script, out);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QJsonObject all = QJsonDocument::fromJson(summary(out).toUtf8()).object();
        static const QRegularExpression number(QStringLiteral("-?[0-9.e+-]+"));
        QList<QRectF> result;
        for (const QJsonValue& value : all[QStringLiteral("pages")][0][QStringLiteral("elements")].toArray()) {
            QList<double> n;
            for (const QRegularExpressionMatch& match : number.globalMatch(value.toArray()[1].toString()))
                n.append(match.captured().toDouble());
            result.append(QRectF(n.value(0), n.value(1), n.value(2), n.value(3)));
        }
        return result;
    }
};

} // namespace

TEST_F(SnappingReplay, ADraggedElementSnapsToTheMarginBoxUnlessSnappingIsOff)
{
    const QString document = makeDocument(false, false);
    const QString drag = QStringLiteral("press 240 190\nmove 137 87\nrelease 137 87\n");
    EXPECT_EQ(frames(document, drag).value(0), QRectF(-4, -4, 280, 180)) << "its content's corner 1 point off the margins";
    EXPECT_EQ(frames(document, QStringLiteral("menu View/Snap to Guides\n") + drag).value(0), QRectF(-3, -3, 280, 180));
}

TEST_F(SnappingReplay, AResizedEdgeSnapsToARulerGuide)
{
    const QString document = makeDocument(false, true);
    EXPECT_EQ(frames(document, QStringLiteral("click 240 190\npress 340 190\nmove 399 190\nrelease 399 190\n")).value(0),
              QRectF(100, 100, 340, 180));
}

TEST_F(SnappingReplay, ElementsDraggedTogetherMoveByExactlyThePointersWay)
{
    const QString document = makeDocument(true, false);
    const QList<QRectF> moved = frames(
        document, QStringLiteral("click 240 190\nclick 440 540 shift\npress 240 190\nmove 137 87\nrelease 137 87\n"));
    ASSERT_EQ(moved.size(), 2);
    EXPECT_EQ(moved[0], QRectF(-3, -3, 280, 180));
    EXPECT_EQ(moved[1], QRectF(197, 347, 280, 180));
}
