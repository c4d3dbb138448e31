// Printing into a PDF file, the preview in the cached "sample.pdf" and
// sharing pictures of the pages, each read back by poppler or PIL.
#include "ExportTestSupport.h"

#include "../window/WindowTestSupport.h"
#include "app/WidgetPrompter.h"
#include "app/export/PreviewCommand.h"
#include "app/export/PrintCommand.h"
#include "app/export/ShareCommand.h"
#include "app/export/SharingMenu.h"
#include "app/window/WindowMenus.h"
#include "platform/ui/ScriptedPrompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPrintDialog>
#include <QPointer>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <signal.h>

namespace ql::testing {
namespace {

class RecordingService : public SharingService {
public:
    QString title() const override { return QStringLiteral("Recorder"); }
    bool canPerformWithItems(const SharingItems& items) const override { return !items.images.isEmpty(); }
    void performWithItems(const SharingItems& items, Completion completion) override
    {
        shared.append(items);
        completion({});
    }
    QList<SharingItems> shared;
};

class OutputCommandsTest : public ::testing::Test {
protected:
    OutputContext context()
    {
        OutputContext context;
        context.prompter = &prompter;
        context.workspace = &workspace;
        return context;
    }
    // Prints into `pdf` on portrait Letter paper; whether the dialog was
    // answered with printing.
    void answerPrintInto(const QString& pdf, bool print = true)
    {
        prompter.answerPrintDialog([pdf, print](QPrinter& printer) {
            printer.setOutputFileName(pdf);
            printer.setPageSize(QPageSize(QPageSize::Letter));
            printer.setPageOrientation(QPageLayout::Portrait);
            return print;
        });
    }
    QStringList print()
    {
        return runCommand(new PrintCommand(document, context()), [](PrintCommand& c) { c.printDocument(); });
    }

    QTemporaryDir folder;
    HomeFolder home {folder.path()};
    Document document;
    ScriptedPrompter prompter;
    RecordingWorkspace workspace;
};

TEST_F(OutputCommandsTest, PrintsSheetsAtActualSizeCentredAndTurnedToThePaper)
{
    for (int i = 0; i < 3; ++i)
        addPage(document, QSizeF(200, 300));
    const QString pdf = folder.filePath(QStringLiteral("print.pdf"));
    answerPrintInto(pdf, false);
    EXPECT_EQ(print(), QStringList());
    EXPECT_FALSE(QFile::exists(pdf)) << "a cancelled dialog prints nothing";

    answerPrintInto(pdf);
    print();
    EXPECT_EQ(pdfPagesAndSize(pdf).first, 3);
    EXPECT_EQ(document.printInfo().outputFileName, pdf) << "the settings are kept for the next print";
    document.setFormatAsBooklet(true);
    answerPrintInto(pdf);
    print();
    EXPECT_EQ(pdfPagesAndSize(pdf), qMakePair(2, QStringLiteral("612 x 792")));
    document.setFormatAsBooklet(false);

    // One landscape master shown: it prints turned, its left end at the top.
    ZVCanvasView* master = document.newPage();
    master->setPageSize(0);
    master->setPageWidth(400);
    master->setPageHeight(200);
    master->setCanvasFrames();
    addFilledRect(*master, QRectF(0, 50, 50, 100), Qt::red);
    document.masterPages().append(master);
    document.setPagesType(1);
    answerPrintInto(pdf);
    print();
    EXPECT_EQ(pdfPagesAndSize(pdf), qMakePair(1, QStringLiteral("612 x 792")));
    const QPointF red = centroid(pdfPage(pdf, 1), isRed);
    EXPECT_NEAR(red.x(), 306, 3);
    EXPECT_NEAR(red.y(), 396 - 200 + 25, 3);
}

// Which page of the document each printed page shows, by the height of the
// red band each page carries.
QList<int> pagesShown(const QString& pdf)
{
    QList<int> shown;
    for (int page = 1; page <= pdfPagesAndSize(pdf).first; ++page)
        shown.append(qRound((centroid(pdfPage(pdf, page), isRed).y() - 105) / 100) + 1);
    return shown;
}

// The print dialog itself, as a user fills it in: File ▸ Print…, Print to
// File, pages `from` to `to`, copies and collation. The highest page it
// offers goes into `offered`.
void printThroughTheDialog(PrintCommand* command, const QString& pdf, int from, int to, int copies, bool collate,
                           int& offered)
{
    QTimer user;
    user.setInterval(10);
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        user.stop();
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        auto* range = dialog->findChild<QRadioButton*>(QStringLiteral("printRange"));
        auto* first = dialog->findChild<QSpinBox*>(QStringLiteral("from"));
        auto* last = dialog->findChild<QSpinBox*>(QStringLiteral("to"));
        auto* count = dialog->findChild<QSpinBox*>(QStringLiteral("copies"));
        auto* collated = dialog->findChild<QCheckBox*>(QStringLiteral("collate"));
        const int toFile = printers ? printers->findText(QStringLiteral("Print to File (PDF)")) : -1;
        // Never a real printer.
        if (toFile < 0 || !file || !range || !first || !last || !count || !collated) {
            dialog->reject();
            return;
        }
        printers->setCurrentIndex(toFile);
        file->setText(pdf);
        range->setChecked(true);
        offered = last->maximum();
        first->setValue(from);
        last->setValue(to);
        count->setValue(copies);
        collated->setChecked(collate);
        dialog->accept();
    });
    user.start();
    EXPECT_EQ(runCommand(command, [](PrintCommand& c) { c.printDocument(); }), QStringList());
}

TEST_F(OutputCommandsTest, PrintingKeepsToTheDialogsRangeCopiesAndCollation)
{
    for (int i = 0; i < 3; ++i)
        addFilledRect(*addPage(document), QRectF(100, 100 + 100 * i, 200, 10), Qt::red);
    const QString pdf = folder.filePath(QStringLiteral("print.pdf"));
    WidgetPrompter dialogs;
    OutputContext real = context();
    real.prompter = &dialogs;
    const auto printed = [&](int from, int to, int copies, bool collate) {
        int offered = 0;
        printThroughTheDialog(new PrintCommand(document, real), pdf, from, to, copies, collate, offered);
        EXPECT_EQ(offered, 3) << "the dialog offers the document's pages";
        return pagesShown(pdf);
    };
    EXPECT_EQ(printed(2, 2, 1, true), QList<int> {2});
    EXPECT_EQ(printed(1, 2, 2, true), (QList<int> {1, 2, 1, 2}));
    EXPECT_EQ(printed(2, 3, 2, false), (QList<int> {2, 2, 3, 3}));
}

TEST_F(OutputCommandsTest, PreviewsOverwriteOneCachedFileAndAreOpenedOnlyWhenWritten)
{
    addPage(document);
    const auto preview = [this] {
        return runCommand(new PreviewCommand(document, context()), [](PreviewCommand& c) { c.preview(); });
    };
    EXPECT_EQ(preview(), QStringList());
    addPage(document);
    EXPECT_EQ(preview(), QStringList());
    const QString sample = PreviewCommand::previewFilePath();
    EXPECT_TRUE(sample.startsWith(folder.path())) << sample.toStdString();
    EXPECT_TRUE(sample.endsWith(QLatin1String("/sample.pdf")));
    EXPECT_EQ(workspace.openedFiles, (QStringList {sample, sample}));
    EXPECT_EQ(pdfPagesAndSize(sample).first, 2);

    // With no PDF viewer the user learns so, and where the preview is.
    workspace.succeed = false;
    EXPECT_EQ(preview().size(), 1);
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_TRUE(prompter.alerts[0].messageText.contains(QLatin1String("no application"))) << prompter.alerts[0].messageText.toStdString();
    EXPECT_TRUE(prompter.alerts[0].informativeText.contains(sample)) << prompter.alerts[0].informativeText.toStdString();
    EXPECT_EQ(pdfPagesAndSize(sample).first, 2);
    workspace.succeed = true;

    // A preview that cannot be written is told and not opened.
    ASSERT_TRUE(QFile::remove(sample));
    ASSERT_TRUE(QDir().mkpath(sample));
    EXPECT_EQ(preview().size(), 1);
    EXPECT_EQ(prompter.alerts.size(), 2);
    EXPECT_EQ(workspace.openedFiles.size(), 3);
}

TEST_F(OutputCommandsTest, SharingHandsEveryPagesPictureAtOnce)
{
    for (int i = 0; i < 3; ++i)
        addPage(document);
    RecordingService service;
    runCommand(new ShareCommand(document, context()), [&service](ShareCommand& c) { c.shareFromService(service); });
    ASSERT_EQ(service.shared.size(), 1);
    ASSERT_EQ(service.shared[0].images.size(), 3);
    for (const QImage& image : service.shared[0].images)
        EXPECT_EQ(image.size(), QSize(612, 792));
    document.setFormatAsBooklet(true);
    runCommand(new ShareCommand(document, context()), [&service](ShareCommand& c) { c.shareFromService(service); });
    ASSERT_EQ(service.shared.size(), 2);
    EXPECT_EQ(service.shared[1].images.size(), 2) << "booklet sheets";
}

class ShareMenuTest : public WindowFixture {
protected:
    // The items of the share submenu, by title; none without a submenu.
    QMap<QString, QAction*> shareItems()
    {
        QAction* share = window->menus().item(QStringLiteral("clickShareMenu:"));
        window->menus().validateMenuItem(share);
        QMap<QString, QAction*> items;
        if (share->menu()) {
            for (QAction* item : share->menu()->actions())
                items.insert(item->text(), item);
        }
        return items;
    }
};

TEST_F(ShareMenuTest, ToolbarButtonsRunTheirCommandsOnce)
{
    prompter.answerPrintDialog([](QPrinter&) { return false; });
    QTest::mouseClick(window->outlets().printButton.data(), Qt::LeftButton);
    DeferredCalls::instance().flush();
    EXPECT_EQ(prompter.printDialogCount, 1);
}

TEST_F(ShareMenuTest, ShowInFolderWritesThePicturesAndOpensTheirFolder)
{
    EXPECT_FALSE(shareItems().contains(QStringLiteral("Show in Folder"))) << "no workspace, no folder shown";

    HomeFolder home(folder.path());
    RecordingWorkspace workspace;
    controller.setWorkspace(&workspace);
    document->insertPageAfter();
    document->insertPageAfter();
    QAction* showInFolder = shareItems().value(QStringLiteral("Show in Folder"));
    ASSERT_NE(showInFolder, nullptr);
    showInFolder->trigger();
    DeferredCalls::instance().flush();
    ASSERT_EQ(workspace.openedFiles.size(), 1);
    const QString shared = workspace.openedFiles.constFirst();
    EXPECT_TRUE(shared.startsWith(folder.path())) << shared.toStdString();
    EXPECT_EQ(QDir(shared).entryList(QDir::Files, QDir::Name),
              (QStringList {"Untitled_1.png", "Untitled_2.png", "Untitled_3.png"}));
    EXPECT_EQ(probe(QDir(shared).filePath(QStringLiteral("Untitled_2.png")))[QStringLiteral("mode")].toString(),
              QStringLiteral("RGB"));
    controller.setWorkspace(nullptr);
}

TEST_F(ShareMenuTest, EmailAttachesEveryPagesPictureThroughXdgEmail)
{
    HomeFolder home(folder.path());
    // A stand-in mail program that writes its arguments, one a line, once
    // it has them all.
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("arguments"));
    const QString standIn = bin.filePath(QStringLiteral("xdg-email"));
    const QString script = QStringLiteral("#!/bin/sh\n"
                                          "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.part'\n"
                                          "mv '%1.part' '%1'\n");
    writeFile(standIn, script.arg(record).toUtf8());
    QFile::setPermissions(standIn, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EnvironmentChange path("PATH", (bin.path() + u':' + qEnvironmentVariable("PATH")).toStdString());

    document->insertPageAfter();
    document->insertPageAfter();
    QAction* email = shareItems().value(QStringLiteral("Email"));
    ASSERT_NE(email, nullptr);
    email->trigger();
    DeferredCalls::instance().flush();
    EXPECT_TRUE(prompter.alerts.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&record] { return QFile::exists(record); }, 30000));
    const QStringList arguments = QString::fromUtf8(fileContents(record)).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(arguments.size(), 6) << arguments.join(u' ').toStdString();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(arguments[2 * i], QStringLiteral("--attach"));
        const QString attachment = arguments[2 * i + 1];
        EXPECT_EQ(QFileInfo(attachment).fileName(), QStringLiteral("Untitled_%1.png").arg(i + 1));
        const QJsonObject picture = probe(attachment);
        EXPECT_EQ(picture[QStringLiteral("size")].toArray(), (QJsonArray {612, 792}));
        EXPECT_EQ(qRound(picture[QStringLiteral("dpi")].toArray().at(0).toDouble()), 72);
    }
}

TEST_F(ShareMenuTest, EmailSaysWhenNoMailProgramOpensAndLeavesAComposerThatStaysOpen)
{
    HomeFolder home(folder.path());
    QTemporaryDir bin;
    const QString standIn = bin.filePath(QStringLiteral("xdg-email"));
    const QString pid = bin.filePath(QStringLiteral("pid"));
    EnvironmentChange path("PATH", (bin.path() + u':' + qEnvironmentVariable("PATH")).toStdString());
    const auto email = [this] {
        QAction* item = shareItems().value(QStringLiteral("Email"));
        ASSERT_NE(item, nullptr);
        item->trigger();
        DeferredCalls::instance().flush();
        // The share ends once the mail program has had its say.
        const QPointer<ShareCommand> share = document->findChild<ShareCommand*>();
        ASSERT_TRUE(QTest::qWaitFor([&share] { return share.isNull(); }, 30000));
    };

    // Desktop tools without a mail program: the hand-off gives up at once.
    writeFile(standIn, "#!/bin/sh\necho \"xdg-email: no method available for opening 'mailto:?attach=$2'\" >&2\nexit 3\n");
    QFile::setPermissions(standIn, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    email();
    ASSERT_EQ(prompter.alerts.size(), 1) << "the user hears that nothing opened";
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("The pages could not be shared."));
    const QString said = prompter.alerts[0].informativeText;
    EXPECT_TRUE(said.startsWith(QLatin1String("No mail program"))) << said.toStdString();
    const qsizetype open = said.indexOf(u'“');
    const QString pictures = said.mid(open + 1, said.indexOf(u'”') - open - 1);
    EXPECT_TRUE(QFile::exists(QDir(pictures).filePath(QStringLiteral("Untitled.png")))) << said.toStdString();

    // A composer that stays open while the user writes is not waited for.
    writeFile(standIn, QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec sleep 60\n").arg(pid).toUtf8());
    email();
    EXPECT_EQ(prompter.alerts.size(), 1);
    ASSERT_TRUE(QFile::exists(pid));
    EXPECT_EQ(::kill(QString::fromUtf8(fileContents(pid)).trimmed().toInt(), 0), 0) << "the composer is still open";
}

} // namespace
} // namespace ql::testing
