// EPS pictures in output: page-render waits for their conversions (which
// reading a document never does) and draws a placeholder for one that fails,
// and Ghostscript dies with the program that started it, however it dies.
#include "OutputTestSupport.h"
#include "support/EpsTestSupport.h"

#include "imaging/VectorRendering.h"
#include "content/ZVImageView.h"

#include <QDir>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <csignal>

namespace ql::testing {

class EpsOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!canRenderEps())
            GTEST_SKIP() << "Ghostscript is not installed";
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("out")));
    }
    // A saved document of one page with these pictures, 100 points apart.
    QString saved(const QList<QByteArray>& pictures)
    {
        Document document;
        ZVCanvasView* page = addPage(document);
        for (int i = 0; i < pictures.size(); ++i)
            addEpsPicture(*page, QRectF(100 + 200 * i, 100, 100, 100), pictures[i]);
        save(document, folder.filePath(QStringLiteral("Pictures.qvleaf")));
        return folder.filePath(QStringLiteral("Pictures.qvleaf"));
    }

    QTemporaryDir folder;
};

TEST_F(EpsOutput, PageRenderShowsConvertedPicturesAndPlaceholdersForFailedOnes)
{
    const ProgramRun run = pageRender({saved({solidEps("1 0 0"), eps("nonsense-operator")}), folder.filePath("out")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage raster = pdfPage(folder.filePath(QStringLiteral("out/Pictures.pdf")), 1);
    EXPECT_TRUE(isRed(raster.pixelColor(150, 120)));
    EXPECT_TRUE(isPlaceholder(raster.pixelColor(350, 120))) << raster.pixelColor(350, 120).name().toStdString();
}

TEST_F(EpsOutput, PicturesMarkedAsBitmapsConvertNotWhileReadingButForOutputWithTheirAdjustments)
{
    const CountingGhostscript gs;
    const QString path = folder.filePath(QStringLiteral("Marked.qvleaf"));
    {
        Document document;
        ZVCanvasView* page = addPage(document);
        addEpsPicture(*page, QRectF(100, 100, 100, 100), solidEps("1 0 0", 54));
        auto* view = qobject_cast<ZVImageView*>(page->puttyViews().first()->contentView());
        ASSERT_TRUE(view);
        view->setSaturation(0);
        view->setIsVector(false);
        save(document, path);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    Document reopened;
    ASSERT_TRUE(reopened.readFromData(file.readAll(), kDesktopDocumentType).ok());
    EXPECT_EQ(gs.runs(), 0) << "reading waits for no conversion";

    // Output waits for it, and shows the picture grey as its settings say.
    const ProgramRun run = pageRender({path, folder.filePath("out")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QColor shown = pdfPage(folder.filePath(QStringLiteral("out/Marked.pdf")), 1).pixelColor(150, 150);
    EXPECT_LT(std::abs(shown.red() - shown.green()), 12) << shown.name().toStdString();
    EXPECT_LT(shown.red(), 160) << shown.name().toStdString();
}

TEST_F(EpsOutput, GhostscriptDiesWithTheProgramThatStartedIt)
{
    // page-render converts in a temporary folder of its own, which tells its
    // Ghostscript from any other.
    QTemporaryDir temporary;
    QProcess render;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    render.setProcessEnvironment(environment);
    render.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/page-render"), {saved({endlessEps()}), folder.filePath("out")});
    QList<int> converting;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !(converting = processesMentioning(temporary.path())).isEmpty(); }, 10000));
    for (int pid : std::as_const(converting)) {
        QFile limits(QStringLiteral("/proc/%1/limits").arg(pid));
        if (limits.open(QIODevice::ReadOnly)) {
            const QByteArray table = limits.readAll();
            const QByteArray cpu = table.mid(table.indexOf("Max cpu time")).split('\n').first();
            EXPECT_NE(cpu.simplified().split(' ').value(3), "unlimited") << cpu.toStdString();
        }
    }
    ::kill(pid_t(render.processId()), SIGKILL);
    render.waitForFinished();
    EXPECT_TRUE(QTest::qWaitFor([&] { return processesMentioning(temporary.path()).isEmpty(); }, 5000));
    // Whatever outlived it goes now, not at its own end.
    for (int pid : processesMentioning(temporary.path()))
        ::kill(pid, SIGKILL);
}

} // namespace ql::testing
