// The Arrange menu through the real window, driven by canvas-replay and read
// back with plistlib.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace ql;

namespace {

// Three text boxes A, B and C on a Letter page.
class ArrangeReplay : public ql::testing::ReplayFixture {
protected:
    void SetUp() override
    {
        Document* made = controller.newDocument();
        for (const QRectF& frame : {QRectF(100, 100, 200, 180), QRectF(300, 150, 200, 180), QRectF(100, 400, 200, 180)}) {
            auto box = ZVPuttyView::initWithText();
            box->setFrame(frame);
            made->currentPage()->addPuttyView(box.release());
        }
        document = path(QStringLiteral("abc.qvleaf"));
        ASSERT_TRUE(controller.saveDocumentToFile(made, document));
    }

    // Each element's [uuid, frame, angle] after the script.
    QJsonArray run(const QString& script)
    {
        const QString out = path(QStringLiteral("out.qvleaf"));
        const ql::testing::ToolRun result = replay(document, script, out);
        EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        return elements(out);
    }
    QJsonArray elements(const QString& file)
    {
        const QJsonObject all = QJsonDocument::fromJson(summary(file).toUtf8()).object();
        return all[QStringLiteral("pages")].toArray().first().toObject()[QStringLiteral("elements")].toArray();
    }

    QString document;
};

enum { A, B, C };
const QString kSelectAB = QStringLiteral("click 200 190\nclick 400 240 shift\n");

} // namespace

TEST_F(ArrangeReplay, GroupsMoveTogetherLockedElementsStayTurnsUndoAsOne)
{
    const QJsonArray start = elements(document);
    const QJsonArray moved = run(kSelectAB + QStringLiteral("key Ctrl+G\nclick 500 700\nclick 200 190\nkey Right\n"));
    ASSERT_EQ(moved.size(), 3);
    EXPECT_EQ(moved[A][1].toString(), QStringLiteral("{{101, 100}, {200, 180}}"));
    EXPECT_EQ(moved[B][1].toString(), QStringLiteral("{{301, 150}, {200, 180}}")) << "moved with the clicked member";
    EXPECT_EQ(moved[C], start[C]);

    EXPECT_EQ(run(QStringLiteral("click 200 190\nmenu Arrange/Lock\npress 200 190\nmove 240 230\n"
                                 "move 260 250\nrelease 260 250\n")),
              start)
        << "a locked element does not drag";

    const QString turn = kSelectAB + QStringLiteral("click 200 490 shift\nmenu Arrange/Rotate 90° Right\n");
    const QJsonArray turned = run(turn);
    for (int element : {A, B, C})
        EXPECT_EQ(turned[element][2].toDouble(), 90.0) << element;
    EXPECT_EQ(run(turn + QStringLiteral("undo\n")), start);
}
