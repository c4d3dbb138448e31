// Text typed into a box on the canvas of the real window, through
// canvas-replay, read back from the saved file by plistlib.
#include "../document/DocumentTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"

#include <QProcess>

using namespace ql;

namespace {

class TextEditingReplay : public ql::testing::DocumentFixture {
protected:
    // A document with one empty text box and one holding "Kept", turned.
    QString makeDocument()
    {
        Document* document = controller.newDocument();
        ZVCanvasView* page = document->currentPage();
        auto empty = ZVPuttyView::initWithText();
        empty->setFrame(QRectF(100, 100, 300, 160));
        page->addPuttyView(empty.release());
        auto kept = ZVPuttyView::initWithText();
        kept->setFrame(QRectF(100, 400, 300, 160));
        kept->setFrameCenterRotation(20);
        qobject_cast<ZVTextView*>(kept->contentView())->setString(QStringLiteral("Kept"));
        page->addPuttyView(kept.release());
        const QString file = path(QStringLiteral("boxes.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        return file;
    }

    // The exit code, or the tool's last line of errors.
    QString replay(const QString& document, const QString& script, const QString& out)
    {
        ql::testing::writeFile(path(QStringLiteral("script.txt")), script.toUtf8());
        QProcess tool;
        tool.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/canvas-replay"),
                   {document, path(QStringLiteral("script.txt")), out});
        EXPECT_TRUE(tool.waitForFinished(60000));
        if (tool.exitCode() == 0)
            return QStringLiteral("ok");
        return QString::fromUtf8(tool.readAllStandardError()).trimmed().section(QLatin1Char('\n'), -1);
    }

    // Every text storage's string in the file, in order, joined by "|".
    static QString texts(const QString& file)
    {
        return ql::testing::plistlib(
            file, QStringLiteral(
                      "(lambda o: (lambda r: '|'.join((lambda s: s['NS.string'] if isinstance(s, dict) else s)"
                      "(r(x['NSString'])) for x in o if isinstance(x, dict) and 'NSString' in x "
                      "and r(x['$class'])['$classname'] == 'NSTextStorage'))"
                      "(lambda v: o[v.data] if isinstance(v, plistlib.UID) else v))(d['$objects'])"));
    }
};

} // namespace

TEST_F(TextEditingReplay, TypingIntoABoxUndoesInOneStepAndRedoesIntoTheFile)
{
    const QString document = makeDocument();
    ASSERT_EQ(texts(document), QStringLiteral("|Kept"));
    const QString out = path(QStringLiteral("out.qvleaf"));

    ASSERT_EQ(replay(document, QStringLiteral("dclick 250 180\ntype Hello\ntype  world\nundo\n"), out), QStringLiteral("ok"));
    EXPECT_EQ(texts(out), QStringLiteral("|Kept")) << "one undo takes the whole run of typing";

    ASSERT_EQ(replay(document, QStringLiteral("dclick 250 180\ntype Hello\ntype  world\nundo\nredo\n"), out),
              QStringLiteral("ok"));
    EXPECT_EQ(texts(out), QStringLiteral("Hello world|Kept"));

    // In the turned box: all of it is replaced by what is typed, and Escape
    // ends editing, so later keys type nothing.
    ASSERT_EQ(replay(document, QStringLiteral("dclick 250 480\nkey Ctrl+A\ntype Gone\nkey Escape\ntype zz\n"), out),
              QStringLiteral("ok"));
    EXPECT_EQ(texts(out), QStringLiteral("|Gone"));
}

TEST_F(TextEditingReplay, TextOfAnyScriptReachesTheBox)
{
    const QString document = makeDocument();
    const QString out = path(QStringLiteral("out.qvleaf"));
    const QString typed = QStringLiteral("Größe €5 مرحبا 日本 𝄞");
    ASSERT_EQ(replay(document, QStringLiteral("dclick 250 180\ntype %1\n").arg(typed), out), QStringLiteral("ok"));
    EXPECT_EQ(texts(out), typed + QStringLiteral("|Kept"));
}

TEST_F(TextEditingReplay, TabTypesATabAndTheKeysAfterItStayInTheBox)
{
    const QString document = makeDocument();
    const QString typed = path(QStringLiteral("typed.qvleaf"));
    const QString undone = path(QStringLiteral("undone.qvleaf"));
    const QString out = path(QStringLiteral("out.qvleaf"));
    // Shift+Tab, as either key a keyboard sends for it, types nothing and
    // keeps the keys in the box too.
    const QString script = QStringLiteral("dclick 250 180\ntype a\nkey Tab\ntype b\nkey Shift+Tab\nkey Backtab\ntype c\n"
                                          "save %1\nundo\nsave %2\nredo\nsave\nclose\nreopen\n")
                               .arg(typed, undone);
    ASSERT_EQ(replay(document, script, out), QStringLiteral("ok"));
    EXPECT_EQ(texts(typed), QStringLiteral("a\tbc|Kept"));
    EXPECT_EQ(texts(undone), QStringLiteral("|Kept"));
    EXPECT_EQ(texts(out), QStringLiteral("a\tbc|Kept")) << "redone, saved and reopened";
}
