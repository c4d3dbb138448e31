// The Edit menu's element commands through the real window, driven by
// canvas-replay with their shortcuts and read back with plistlib: paste,
// duplicate, delete and their undo.
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

struct Saved {
    QStringList uuids;
    QList<QRectF> frames;
    QStringList layer; // the current (only) layer, bottom first
};

class ClipboardReplay : public ql::testing::ReplayFixture {
protected:
    // Three shapes A, B, C on a Letter page, clicked at their centres.
    QString makeDocument()
    {
        Document* document = controller.newDocument();
        ZVCanvasView* page = document->currentPage();
        for (const QRectF& frame : {QRectF(60, 60, 200, 160), QRectF(300, 60, 200, 160), QRectF(60, 300, 200, 160)}) {
            auto element = ZVPuttyView::initWithVector(BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("square"));
            element->setFrame(frame);
            page->addPuttyView(element.release());
        }
        const QString file = path(QStringLiteral("abc.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        return file;
    }

    Saved read(const QString& file)
    {
        const QJsonObject first =
            QJsonDocument::fromJson(summary(file).toUtf8()).object()[QStringLiteral("pages")].toArray().first().toObject();
        Saved saved;
        static const QRegularExpression number(QStringLiteral("-?[0-9.e+-]+"));
        for (const QJsonValue& value : first[QStringLiteral("elements")].toArray()) {
            const QJsonArray element = value.toArray();
            saved.uuids.append(element.at(0).toString());
            QList<double> n;
            for (auto it = number.globalMatch(element.at(1).toString()); it.hasNext();)
                n.append(it.next().captured().toDouble());
            saved.frames.append(QRectF(n.value(0), n.value(1), n.value(2), n.value(3)));
        }
        for (const QJsonValue& uuid : first[QStringLiteral("layers")].toArray().last().toArray())
            saved.layer.append(uuid.toString());
        return saved;
    }
};

} // namespace

TEST_F(ClipboardReplay, PasteDuplicateAndDeleteUndoAsOneStepEach)
{
    const QString document = makeDocument();
    const Saved start = read(document);
    ASSERT_EQ(start.uuids.size(), 3);
    const QString pasted = path(QStringLiteral("pasted.qvleaf"));
    const QString duplicated = path(QStringLiteral("duplicated.qvleaf"));
    const QString deleted = path(QStringLiteral("deleted.qvleaf"));
    const QString cut = path(QStringLiteral("cut.qvleaf"));
    const QString out = path(QStringLiteral("out.qvleaf"));
    const QString script = QStringLiteral("click 160 140\nkey Ctrl+C\nkey Ctrl+V\nsave %1\nundo\n"
                                          "key Ctrl+A\nkey Ctrl+D\nsave %2\nundo\n"
                                          "click 400 140\nkey Delete\nsave %3\nundo\n"
                                          "click 160 380\nkey Ctrl+X\nsave %4\nundo\n")
                               .arg(pasted, duplicated, deleted, cut);
    const ql::testing::ToolRun run = replay(document, script, out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    const Saved afterPaste = read(pasted);
    ASSERT_EQ(afterPaste.uuids.size(), 4);
    EXPECT_EQ(afterPaste.frames.last(), start.frames.first().translated(15, 15));
    EXPECT_FALSE(start.uuids.contains(afterPaste.uuids.last()));
    EXPECT_EQ(afterPaste.layer, afterPaste.uuids);

    const Saved afterDuplicate = read(duplicated);
    ASSERT_EQ(afterDuplicate.uuids.size(), 6) << "undo took the paste back first";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(afterDuplicate.frames.at(3 + i), start.frames.at(i).translated(15, 15));
        EXPECT_FALSE(start.uuids.contains(afterDuplicate.uuids.at(3 + i)));
    }
    EXPECT_EQ(afterDuplicate.layer, afterDuplicate.uuids) << "three new in the current layer";

    const Saved afterDelete = read(deleted);
    EXPECT_EQ(afterDelete.uuids, (QStringList {start.uuids[0], start.uuids[2]}));
    EXPECT_EQ(read(cut).uuids, start.uuids.mid(0, 2));
    const Saved end = read(out);
    EXPECT_EQ(end.uuids, start.uuids);
    EXPECT_EQ(end.layer, start.layer) << "B back at its place in the layer";
    EXPECT_EQ(end.frames, start.frames);
}
