// The export on documents built in code, without a window: the files it
// writes are read back by poppler, PIL and tiffinfo; page-render, which goes
// through the same export, reports a file it could not write.
#include "ExportTestSupport.h"

#include "app/export/ExportCommand.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"
#include "platform/ui/ScriptedPrompter.h"
#include "support/SpecialFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <gtest/gtest.h>

namespace ql::testing {
namespace {

class ExportCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("out"))); }
    QString out(const QString& name = {}) const { return folder.filePath(QStringLiteral("out/") + name); }
    QStringList written() const { return QDir(out()).entryList(QDir::Files, QDir::Name); }
    void clearOut() const
    {
        for (const QString& name : written())
            QFile::remove(out(name));
    }
    // Exports with the document's settings, as format, name and `changes`
    // set them, the folder panel answered with the output folder.
    QStringList exportAs(ExportFormat format, const QString& name, const QVariantMap& changes = {})
    {
        document.setValueForKey(u"exportFileFormat", int(format));
        document.setExportControls();
        for (auto change = changes.begin(); change != changes.end(); ++change)
            document.setValueForKey(change.key(), change.value());
        document.setExportFileName(name);
        prompter.answerFolderPanel(out());
        OutputContext context;
        context.prompter = &prompter;
        return runCommand(new ExportCommand(document, context), [](ExportCommand& c) { c.finishExport(); });
    }

    QTemporaryDir folder;
    Document document;
    ScriptedPrompter prompter;
};

TEST_F(ExportCommandTest, PdfHasOnePagePerSheetWhateverThePictureSettings)
{
    for (int i = 0; i < 3; ++i)
        addFilledRect(*addPage(document, QSizeF(300, 400)), QRectF(10, 10 + 40 * i, 50, 20), Qt::red);
    ASSERT_EQ(exportAs(ExportFormat::PDF, QStringLiteral("Flyer")), QStringList());
    EXPECT_EQ(pdfPagesAndSize(out(QStringLiteral("Flyer.pdf"))), qMakePair(3, QStringLiteral("300 x 400")));
    const QImage plain = pdfPage(out(QStringLiteral("Flyer.pdf")), 1);
    clearOut();
    // Resolution, colour and quality are the pictures' only.
    exportAs(ExportFormat::PDF, QStringLiteral("Flyer"),
             {{QStringLiteral("exportFileResolution"), 3}, {QStringLiteral("exportColorSpace"), 1},
              {QStringLiteral("exportImageQuality"), 0.1}});
    EXPECT_EQ(pdfPagesAndSize(out(QStringLiteral("Flyer.pdf"))), qMakePair(3, QStringLiteral("300 x 400")));
    EXPECT_EQ(pdfPage(out(QStringLiteral("Flyer.pdf")), 1), plain);
    clearOut();

    // Booklet: four pages on two sheets, each as wide as two pages.
    document.setFormatAsBooklet(true);
    exportAs(ExportFormat::PDF, QStringLiteral("Flyer"));
    EXPECT_EQ(pdfPagesAndSize(out(QStringLiteral("Flyer.pdf"))), qMakePair(2, QStringLiteral("600 x 400")));
    clearOut();
    document.setFormatAsBooklet(false);

    // Master pages shown: the masters are exported.
    ZVCanvasView* master = document.newPage();
    document.masterPages().append(master);
    document.setPagesType(1);
    exportAs(ExportFormat::PDF, QStringLiteral("Flyer"));
    EXPECT_EQ(pdfPagesAndSize(out(QStringLiteral("Flyer.pdf"))), qMakePair(1, QStringLiteral("612 x 792")));
}

TEST_F(ExportCommandTest, PicturesKeepTheirFormatsLosslessOrAtBestQuality)
{
    // A black ground below a margin on whole points: an edge with nothing between.
    ZVCanvasView* page = addPage(document);
    page->setValueForKey(QStringLiteral("clipToMargins"), true);
    page->setValueForKey(QStringLiteral("topMargin"), 400.0);
    page->setCanvasFrames();
    page->backgroundView()->setBackgroundColor(QVariant::fromValue(Color::deviceRgb(0, 0, 0)));
    page->backgroundView()->setBackgroundType(1);
    const QVariantMap at72 {{QStringLiteral("exportFileResolution"), 0}};
    for (ExportFormat format : {ExportFormat::PNG, ExportFormat::TIFF}) {
        ASSERT_EQ(exportAs(format, QStringLiteral("Edge"), at72), QStringList());
        const QString file = out(written().constFirst());
        EXPECT_EQ(probe(file)[QStringLiteral("colours")].toInt(), 2) << file.toStdString();
        EXPECT_EQ(probe(file)[QStringLiteral("mode")].toString(), QStringLiteral("RGB")) << file.toStdString();
        clearOut();
    }
    // The first quality (8) is the best: every quantization step is 1.
    exportAs(ExportFormat::JPEG, QStringLiteral("Edge"), at72);
    const QJsonObject jpeg = jpegInfo(out(QStringLiteral("Edge.jpg")));
    EXPECT_EQ(jpeg[QStringLiteral("format")].toString(), QStringLiteral("JPEG"));
    ASSERT_FALSE(jpeg[QStringLiteral("tables")].toArray().isEmpty());
    for (const QJsonValue table : jpeg[QStringLiteral("tables")].toArray())
        EXPECT_EQ(table.toArray(), QJsonArray {1});
    clearOut();
    // CMYK: a separated TIFF; a PNG stays RGB whatever the setting says.
    exportAs(ExportFormat::TIFF, QStringLiteral("Edge"), {{QStringLiteral("exportFileResolution"), 0}, {QStringLiteral("exportColorSpace"), 1}});
    const ProgramRun info = runProgram(QStringLiteral("tiffinfo"), {out(QStringLiteral("Edge.tif"))});
    EXPECT_TRUE(info.out.contains(QLatin1String("separated"))) << info.out.toStdString();
    exportAs(ExportFormat::PNG, QStringLiteral("Edge"), {{QStringLiteral("exportFileResolution"), 0}, {QStringLiteral("exportColorSpace"), 1}});
    EXPECT_EQ(probe(out(QStringLiteral("Edge.png")))[QStringLiteral("mode")].toString(), QStringLiteral("RGB"));
}

TEST_F(ExportCommandTest, RangesBeyondThePagesAreKeptWithinThem)
{
    for (int i = 0; i < 3; ++i)
        addFilledRect(*addPage(document), QRectF(10, 10 + 100 * i, 50, 50), Qt::red);
    const QVariantMap wide {{QStringLiteral("exportFileResolution"), 0},
                            {QStringLiteral("exportPageRangeType"), 1},
                            {QStringLiteral("exportPageStart"), 0},
                            {QStringLiteral("exportPageEnd"), 9}};
    ASSERT_EQ(exportAs(ExportFormat::PNG, QStringLiteral("R"), wide), QStringList());
    EXPECT_EQ(written(), (QStringList {"R_1.png", "R_2.png", "R_3.png"}));
    clearOut();
    QVariantMap backwards = wide;
    backwards[QStringLiteral("exportPageStart")] = 3;
    backwards[QStringLiteral("exportPageEnd")] = 1;
    exportAs(ExportFormat::PNG, QStringLiteral("R"), backwards);
    ASSERT_EQ(written(), QStringList {"R.png"});
    EXPECT_TRUE(isRed(decodedRGB(out(QStringLiteral("R.png"))).pixelColor(30, 230))) << "page 3";
}

TEST_F(ExportCommandTest, PageRenderWritesTheOtherFilesWhenOneCannotBeWritten)
{
    for (int i = 0; i < 3; ++i)
        addPage(document);
    save(document, folder.filePath(QStringLiteral("Flyer.qvleaf")));
    ASSERT_TRUE(QDir(out()).mkdir(QStringLiteral("Flyer_2.png")));
    const ProgramRun run = pageRender({folder.filePath(QStringLiteral("Flyer.qvleaf")), out(), QStringLiteral("--format"),
                                       QStringLiteral("png"), QStringLiteral("--dpi"), QStringLiteral("72")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QLatin1String("Flyer_2.png"))) << run.err.toStdString();
    EXPECT_EQ(run.err.trimmed().count(QLatin1Char('\n')), 0) << run.err.toStdString();
    EXPECT_EQ(written(), (QStringList {"Flyer_1.png", "Flyer_3.png"}));
}

// A pipe, or a socket, stands for a device: such a target is refused before
// anything is asked, named in the failure, and left as it was.
TEST_F(ExportCommandTest, ATargetThatIsNoRegularFileIsRefusedUnaskedAndLeftAsItWas)
{
    addPage(document);
    const QString pipe = folder.filePath(QStringLiteral("pipe"));
    ASSERT_TRUE(makeFifo(pipe));
    ASSERT_TRUE(QFile::link(pipe, out(QStringLiteral("Flyer.png"))));
    ASSERT_TRUE(makeSocket(out(QStringLiteral("Flyer.pdf"))));
    const QStringList png = exportAs(ExportFormat::PNG, QStringLiteral("Flyer"), {{QStringLiteral("exportFileResolution"), 0}});
    ASSERT_EQ(png.size(), 1);
    EXPECT_TRUE(png[0].contains(QStringLiteral("“Flyer.png”"))) << png[0].toStdString();
    EXPECT_TRUE(png[0].contains(QStringLiteral("regular file"))) << png[0].toStdString();
    const QStringList pdf = exportAs(ExportFormat::PDF, QStringLiteral("Flyer"));
    ASSERT_EQ(pdf.size(), 1);
    EXPECT_TRUE(pdf[0].contains(QStringLiteral("“Flyer.pdf”"))) << pdf[0].toStdString();
    for (const AlertRequest& alert : prompter.alerts)
        EXPECT_FALSE(alert.buttons.contains(QStringLiteral("Replace"))) << alert.messageText.toStdString();
    EXPECT_TRUE(isFifo(pipe));
    EXPECT_EQ(QFileInfo(out(QStringLiteral("Flyer.png"))).symLinkTarget(), pipe);
    EXPECT_TRUE(isSocket(out(QStringLiteral("Flyer.pdf"))));
}

// What the output tests rest on: a command that never ran to its end is no success.
TEST_F(ExportCommandTest, ACommandThatNeverFinishesIsAFailure)
{
    OutputContext context;
    context.prompter = &prompter;
    EXPECT_EQ(runCommand(new ExportCommand(document, context), [](ExportCommand&) {}),
              QStringList {QStringLiteral("The command did not finish")});
}

} // namespace
} // namespace ql::testing
