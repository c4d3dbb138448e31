// EPS pictures in output: page-render waits for their conversions and draws
// a placeholder for one that fails, and Ghostscript dies with the program
// that started it, however it dies.
#include "OutputTestSupport.h"
#include "../categories/EpsTestSupport.h"

#include "app/categories/VectorRendering.h"
#include "canvas/ZVPuttyView.h"

#include <QDir>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <csignal>

namespace ql::testing {
namespace {

void addPicture(ZVCanvasView& page, const QRectF& content, const QByteArray& eps)
{
    ZVPuttyView* element = ZVPuttyView::initWithImage(Image(ImageRep::eps(eps, QSizeF(10, 10)))).release();
    page.addPuttyView(element);
    element->setFrame(content.adjusted(-ZVPuttyView::kMargin, -ZVPuttyView::kMargin, ZVPuttyView::kMargin,
                                       ZVPuttyView::kMargin));
}

// Processes whose command line mentions `text`.
QList<int> processesMentioning(const QString& text)
{
    QList<int> found;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (pid.toInt() > 0 && commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains(text.toUtf8()))
            found.append(pid.toInt());
    }
    return found;
}

} // namespace

TEST(EpsOutput, PageRenderShowsConvertedPicturesAndPlaceholdersForFailedOnes)
{
    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("out")));
    Document document;
    ZVCanvasView* page = addPage(document);
    addPicture(*page, QRectF(100, 100, 100, 100), solidEps("1 0 0"));
    addPicture(*page, QRectF(300, 100, 100, 100), brokenEps());
    save(document, folder.filePath(QStringLiteral("Pictures.qvleaf")));

    const ProgramRun run = pageRender({folder.filePath(QStringLiteral("Pictures.qvleaf")), folder.filePath(QStringLiteral("out"))});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage raster = pdfPage(folder.filePath(QStringLiteral("out/Pictures.pdf")), 1);
    EXPECT_TRUE(isRed(raster.pixelColor(150, 120)));
    EXPECT_TRUE(isPlaceholder(raster.pixelColor(350, 120))) << raster.pixelColor(350, 120).name().toStdString();
}

TEST(EpsOutput, GhostscriptDiesWithTheProgramThatStartedIt)
{
    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    QTemporaryDir folder;
    QTemporaryDir temporary;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("out")));
    Document document;
    addPicture(*addPage(document), QRectF(100, 100, 100, 100), endlessEps());
    save(document, folder.filePath(QStringLiteral("Endless.qvleaf")));

    // page-render's conversions happen in a temporary folder of its own,
    // which tells its Ghostscript from any other.
    QProcess render;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    render.setProcessEnvironment(environment);
    render.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/page-render"),
                 {folder.filePath(QStringLiteral("Endless.qvleaf")), folder.filePath(QStringLiteral("out"))});
    ASSERT_TRUE(render.waitForStarted());
    QList<int> converting;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !(converting = processesMentioning(temporary.path())).isEmpty(); }, 10000));
    for (int pid : std::as_const(converting)) {
        QFile limits(QStringLiteral("/proc/%1/limits").arg(pid));
        if (limits.open(QIODevice::ReadOnly)) {
            const QByteArray table = limits.readAll();
            const QByteArray cpu = table.mid(table.indexOf("Max cpu time")).split('\n').first();
            EXPECT_FALSE(cpu.simplified().split(' ').value(3) == "unlimited") << cpu.toStdString();
        }
    }
    ::kill(pid_t(render.processId()), SIGKILL);
    render.waitForFinished();
    const bool gone = QTest::qWaitFor([&] { return processesMentioning(temporary.path()).isEmpty(); }, 5000);
    EXPECT_TRUE(gone);
    // Whatever outlived it goes now, not at its own end.
    for (int pid : processesMentioning(temporary.path()))
        ::kill(pid, SIGKILL);
}

} // namespace ql::testing
