#include "../document/DocumentTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

using namespace ql;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString errors;
};

class CanvasReplay : public ql::testing::DocumentFixture {
protected:
    // A saved document of two content pages linked to a master, with
    // elements of each kind, one of them turned.
    QString makeDocument()
    {
        Document* document = controller.newDocument();
        ZVCanvasView* first = document->currentPage();
        ZVCanvasView* second = document->newPage();
        document->contentPages().append(second);
        first->setMasterPage(document->masterPages().first());
        auto text = ZVPuttyView::initWithText();
        text->setFrame(QRectF(100, 120, 300, 200));
        text->setFrameCenterRotation(30);
        first->addPuttyView(text.release());
        auto deep = ZVPuttyView::initWith3DText(QStringLiteral("Deep"));
        deep->setFrame(QRectF(-40, 500, 400, 200));
        first->addPuttyView(deep.release());
        auto image = ZVPuttyView::initWithImage(Image(QImage(20, 10, QImage::Format_ARGB32)));
        image->setFrame(QRectF(10, 10, 120, 90));
        second->addPuttyView(image.release());
        const QString path = this->path(QStringLiteral("sample.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, path));
        return path;
    }

    ToolRun replay(const QString& document, const QString& script, const QString& out, const QStringList& extra = {})
    {
        QFile file(path(QStringLiteral("script.txt")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script.toUtf8());
        file.close();
        QProcess tool;
        tool.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/canvas-replay"),
                   QStringList {document, file.fileName(), out} + extra);
        EXPECT_TRUE(tool.waitForFinished(60000));
        // Its own message is the last line; the platform may say things before it.
        const QStringList lines = QString::fromUtf8(tool.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return {tool.exitCode(), lines.value(lines.size() - 1)};
    }

    QString summary(const QString& documentPath)
    {
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/app/window/replay_summary.py"), documentPath});
        EXPECT_TRUE(python.waitForFinished(30000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QString::fromUtf8(python.readAllStandardOutput());
    }
};

} // namespace

TEST_F(CanvasReplay, EditFreeScriptKeepsPagesUuidsAndFrames)
{
    const QString document = makeDocument();
    const QString before = summary(document);
    ASSERT_TRUE(before.contains(QLatin1String("\"elements\"")));
    const QString out = path(QStringLiteral("out.qvleaf"));
    const QString shot = path(QStringLiteral("shot.png"));
    const ToolRun run = replay(document,
                           QStringLiteral("# looking around\n"
                                          "zoom 150\n"
                                          "page 2\n"
                                          "page 1\n"
                                          "menu View/Zoom In\n"
                                          "menu View/Fit Page\n"
                                          "key Ctrl+Shift+2\n"
                                          "click 700 40\n"
                                          "press 600 700\nmove 610 705\nrelease 610 705\n"
                                          "wait 20\n"),
                           out, {QStringLiteral("--shot"), shot});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(summary(out).toStdString(), before.toStdString());
    EXPECT_EQ(QImage(shot).size(), QSize(1400, 1000));
    EXPECT_EQ(summary(document).toStdString(), before.toStdString()) << "the input file is left as it was";
}

TEST_F(CanvasReplay, BadLinesAndDisabledItemsStopWithTheLineNumber)
{
    const QString document = makeDocument();
    const QString out = path(QStringLiteral("never.qvleaf"));
    ToolRun run = replay(document, QStringLiteral("zoom 150\n\nfrobnicate 1 2\n"), out);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.startsWith(QLatin1String("line 3: "))) << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    run = replay(document, QStringLiteral("click 10\n"), out);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.startsWith(QLatin1String("line 1: "))) << run.errors.toStdString();

    run = replay(document, QStringLiteral("# undo has nothing to undo yet\nmenu Edit/Undo\n"), out);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QLatin1String("line 2: menu item \"Edit/Undo\" is disabled"))) << run.errors.toStdString();

    run = replay(document, QStringLiteral("menu View/No Such Thing\n"), out);
    EXPECT_EQ(run.exitCode, 1);
    run = replay(document, QStringLiteral("page 9\n"), out);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.startsWith(QLatin1String("line 1: there is no page 9"))) << run.errors.toStdString();
}
