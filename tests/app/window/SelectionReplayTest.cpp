#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace ql;

namespace {

struct Placed {
    QRectF frame;
    double rotation = 0;
};

// Selecting, moving, resizing and turning through the real window, on a
// Letter page: A, B, C and D on the current layer, L on another one.
class SelectionReplay : public ql::testing::ReplayFixture {
protected:
    QString makeDocument()
    {
        Document* document = controller.newDocument();
        ZVCanvasView* page = document->currentPage();
        ZVPuttyViewGroup* current = page->layoutLayers().constLast();
        // The layer read last is the current one; L lies on the other.
        auto* other = new ZVPuttyViewGroup(QStringLiteral("Other"), page);
        page->setLayoutLayers(ZVPuttyViewGroupList {other} + page->layoutLayers());
        const auto add = [&](const QRectF& frame, ZVPuttyViewGroup* layer) {
            auto element = ZVPuttyView::initWithText();
            element->setLayoutLayerGroup(layer);
            ZVPuttyView* added = element.get();
            page->addPuttyView(element.release());
            added->setFrame(frame);
            return added;
        };
        add(QRectF(100, 100, 200, 180), current)->setKeepAspectRatio(keepAspectRatio);
        add(QRectF(300, 150, 200, 180), current);
        add(QRectF(100, 400, 200, 180), current);
        add(QRectF(300, 580, 200, 200), current);
        add(QRectF(300, 380, 200, 180), other);
        const QString path = this->path(QStringLiteral("abcdl.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, path));
        return path;
    }

    // The elements' frames and angles after the script, in the order A, B, C, D, L.
    QList<Placed> run(const QString& script) { return placed(runToFile(script)); }

    QList<Placed> placed(const QString& file)
    {
        const QJsonObject all = QJsonDocument::fromJson(summary(file).toUtf8()).object();
        QList<Placed> result;
        const QJsonArray elements = all[QStringLiteral("pages")].toArray().first().toObject()[QStringLiteral("elements")].toArray();
        static const QRegularExpression number(QStringLiteral("-?[0-9.e+-]+"));
        for (const QJsonValue& value : elements) {
            const QJsonArray record = value.toArray();
            QList<double> numbers;
            for (const QRegularExpressionMatch& match : number.globalMatch(record[1].toString()))
                numbers.append(match.captured().toDouble());
            EXPECT_EQ(numbers.size(), 4);
            result.append({QRectF(numbers.value(0), numbers.value(1), numbers.value(2), numbers.value(3)),
                           record[2].toDouble()});
        }
        return result;
    }

    static QRectF content(const Placed& element) { return element.frame.adjusted(40, 40, -40, -40); }

    // After the gesture, undo gives the document as it was and redo the result.
    void expectUndoAndRedo(const QString& gesture)
    {
        const QString after = summary(runToFile(gesture));
        EXPECT_EQ(summary(runToFile(gesture + QStringLiteral("undo\n"))).toStdString(), summary(document).toStdString())
            << "undo of: " << gesture.toStdString();
        EXPECT_EQ(summary(runToFile(gesture + QStringLiteral("undo\nredo\n"))).toStdString(), after.toStdString())
            << "redo of: " << gesture.toStdString();
    }

    QString runToFile(const QString& script)
    {
        static int count = 0;
        const QString out = path(QStringLiteral("run%1.qvleaf").arg(++count));
        const ql::testing::ToolRun result = replay(document, script, out);
        EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        return out;
    }

    bool keepAspectRatio = true;
    QString document;
};

enum { A, B, C, D, L };

} // namespace

TEST_F(SelectionReplay, ClicksShiftClicksAndTheBandChooseWhatTheArrowsMove)
{
    document = makeDocument();
    const QList<Placed> start = placed(document);
    ASSERT_EQ(start.size(), 5);

    QList<Placed> now = run(QStringLiteral("click 200 190\nkey Right\n"));
    EXPECT_EQ(now[A].frame, start[A].frame.translated(1, 0));
    for (int other : {B, C, D, L})
        EXPECT_EQ(now[other].frame, start[other].frame) << "element " << other;

    now = run(QStringLiteral("click 200 190\nclick 400 240 shift\nkey Right\nclick 200 190 shift\nkey Right\n"));
    EXPECT_EQ(now[A].frame, start[A].frame.translated(1, 0)) << "Shift-click on A dropped it";
    EXPECT_EQ(now[B].frame, start[B].frame.translated(2, 0));

    now = run(QStringLiteral("press 60 60\nmove 300 300\nmove 520 430\nrelease 520 430\nkey Left\n"));
    EXPECT_EQ(now[A].frame, start[A].frame.translated(-1, 0));
    EXPECT_EQ(now[B].frame, start[B].frame.translated(-1, 0));
    for (int other : {C, D, L})
        EXPECT_EQ(now[other].frame, start[other].frame) << "element " << other;

    // A click records nothing: undo takes back the nudge before it.
    now = run(QStringLiteral("click 200 190\nkey Right\nclick 400 240\nundo\n"));
    EXPECT_EQ(now[A].frame, start[A].frame);
}

TEST_F(SelectionReplay, DraggingMovesEveryActiveElementByTheExactDisplacement)
{
    document = makeDocument();
    const QList<Placed> start = placed(document);
    QList<Placed> now = run(QStringLiteral("press 200 190\nmove 220 200\nmove 241 217\nrelease 241 217\n"));
    EXPECT_EQ(now[A].frame, start[A].frame.translated(41, 27));
    EXPECT_EQ(now[B].frame, start[B].frame);

    const QString both = QStringLiteral("click 200 190\nclick 400 240 shift\npress 200 190\nmove 241 217\nrelease 241 217\n");
    now = run(both);
    EXPECT_EQ(now[A].frame, start[A].frame.translated(41, 27));
    EXPECT_EQ(now[B].frame, start[B].frame.translated(41, 27));
    expectUndoAndRedo(both);
}

TEST_F(SelectionReplay, HandlesResizeFromTheOppositeCornerOrEdge)
{
    keepAspectRatio = false;
    document = makeDocument();
    const QList<Placed> start = placed(document);
    const QString corner = QStringLiteral("click 200 190\npress 260 240\nmove 275 260\nmove 290 300\nrelease 290 300\n");
    QList<Placed> now = run(corner);
    EXPECT_EQ(content(now[A]), QRectF(140, 140, 150, 125)) << "proportions kept whatever keepAspectRatio says";
    expectUndoAndRedo(corner);

    now = run(QStringLiteral("click 200 190\npress 260 190\nmove 290 230\nrelease 290 230\n"));
    EXPECT_EQ(now[A].frame, QRectF(100, 100, 230, 180)) << "the right-centre handle: width only";

    // At 200 % the handle stays under the pointer.
    now = run(QStringLiteral("zoom 200\nclick 200 190\npress 260 240\nmove 290 240\nrelease 290 240\n"));
    EXPECT_EQ(content(now[A]).bottomRight().x(), 290);
    EXPECT_EQ(content(now[A]).topLeft(), content(start[A]).topLeft());
}

TEST_F(SelectionReplay, RotationHandlesTurnAboutTheCentre)
{
    document = makeDocument();
    const QString turn = QStringLiteral("click 400 680\npress 472.5 752.5\nmove 440 770\nmove 400 780\nrelease 400 780\n");
    QList<Placed> now = run(turn);
    EXPECT_EQ(now[D].rotation, 45);
    expectUndoAndRedo(turn);

    now = run(QStringLiteral("click 400 680\npress 472.5 752.5\nmove 390 780\nrelease 390 780\n"));
    EXPECT_NEAR(now[D].rotation, 50.71, 0.005);
    now = run(QStringLiteral("click 400 680\npress 472.5 752.5 shift\nmove 390 780\nrelease 390 780\n"));
    EXPECT_EQ(now[D].rotation, 45);
}
