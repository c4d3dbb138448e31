#include "app/WidgetPrompter.h"
#include "support/EnvironmentChange.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

TEST(WidgetPrompter, SheetsAreWindowModalAndAnswerLater)
{
    QWidget window;
    window.resize(600, 400);
    window.show();
    WidgetPrompter prompter(&window);
    EXPECT_TRUE(prompter.hasMainWindow());

    ql::AlertRequest request;
    request.messageText = QStringLiteral("New version available (2.0)");
    request.informativeText = QStringLiteral("New in this version");
    request.buttons = {QStringLiteral("Download"), QStringLiteral("Ignore"), QStringLiteral("Remind Me Later")};
    request.accessory = ql::AlertRequest::TextAccessory {QStringLiteral("Faster saving\nFewer crashes"), QSizeF(380, 120)};
    int chosen = -1;
    prompter.beginSheetAlert(request, [&](int index) { chosen = index; });
    EXPECT_EQ(chosen, -1) << "returns before the answer";

    QPointer<QMessageBox> box = window.findChild<QMessageBox*>();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->isVisible(); }));
    auto* notes = box->findChild<QTextEdit*>(QStringLiteral("alertAccessory"));
    ASSERT_NE(notes, nullptr);
    EXPECT_TRUE(notes->isReadOnly());
    EXPECT_EQ(notes->size(), QSize(380, 120));
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("Faster saving\nFewer crashes"));
    // Between the texts and the buttons.
    const QPushButton* ignore = nullptr;
    for (QPushButton* button : box->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Ignore"))
            ignore = button;
    ASSERT_NE(ignore, nullptr);
    EXPECT_LT(notes->mapTo(box, QPoint(0, notes->height())).y(), ignore->mapTo(box, QPoint(0, 0)).y());

    QTest::mouseClick(const_cast<QPushButton*>(ignore), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chosen != -1; }));
    EXPECT_EQ(chosen, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); })) << "the box goes once answered";

    window.hide();
    WidgetPrompter alone;
    EXPECT_FALSE(alone.hasMainWindow());
}

namespace {

// Sets an environment variable until the returned guard goes.
void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(DesktopWorkspace, AsksTheDesktopForTheHandlerOfALink)
{
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("config")));
    QDir().mkpath(home.filePath(QStringLiteral("data/applications")));
    QFile list(home.filePath(QStringLiteral("config/mimeapps.list")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("[Default Applications]\nx-scheme-handler/qltest=qltest.desktop\n");
    list.close();
    QFile entry(home.filePath(QStringLiteral("data/applications/qltest.desktop")));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Test\nExec=true %u\nMimeType=x-scheme-handler/qltest;\n");
    entry.close();

    const ql::testing::EnvironmentChange config("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toStdString());
    const ql::testing::EnvironmentChange data("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toStdString());
    DesktopWorkspace workspace;
    EXPECT_TRUE(workspace.canOpenUrl(QUrl(QStringLiteral("qltest://page"))));
    EXPECT_FALSE(workspace.canOpenUrl(QUrl(QStringLiteral("qlnothing://page"))));
    EXPECT_FALSE(workspace.canOpenUrl(QUrl()));
}

TEST(DesktopWorkspace, StartsNothingForAFileThatNoApplicationOpens)
{
    // The system's file types, but none of its applications.
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("share")));
    QFile::link(QStringLiteral("/usr/share/mime"), home.filePath(QStringLiteral("share/mime")));
    const auto folder = [&home](const char* name) { return home.filePath(QString::fromLatin1(name)).toStdString(); };
    const ql::testing::EnvironmentChange configHome("XDG_CONFIG_HOME", folder("config"));
    const ql::testing::EnvironmentChange configDirs("XDG_CONFIG_DIRS", folder("etc"));
    const ql::testing::EnvironmentChange dataHome("XDG_DATA_HOME", folder("data"));
    const ql::testing::EnvironmentChange dataDirs("XDG_DATA_DIRS", folder("share"));
    const QString pdf = home.filePath(QStringLiteral("sample.pdf"));
    writeFile(pdf, "%PDF-1.4\n");
    DesktopWorkspace workspace;
    EXPECT_FALSE(workspace.canOpenFile(pdf));
    EXPECT_FALSE(workspace.openFile(pdf));

    writeFile(home.filePath(QStringLiteral("data/applications/qlviewer.desktop")),
              "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %f\nMimeType=application/pdf;\n");
    writeFile(home.filePath(QStringLiteral("config/mimeapps.list")),
              "[Default Applications]\napplication/pdf=qlviewer.desktop\n");
    EXPECT_TRUE(workspace.canOpenFile(pdf));
}

TEST(WidgetPrompter, PanelsThatNameNoFolderStartInDocumentsThenWhereTheLastEnded)
{
    QTemporaryDir home;
    QTemporaryDir startedFrom;
    const QString documents = home.filePath(QStringLiteral("Documents"));
    const QString flyers = home.filePath(QStringLiteral("Flyers"));
    writeFile(documents + QStringLiteral("/old.qvleaf"), "x");
    writeFile(flyers + QStringLiteral("/flyer.qvleaf"), "x");
    const ql::testing::EnvironmentChange homeChange("HOME", home.path().toStdString());
    const ql::testing::EnvironmentChange config("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toStdString());
    const QString before = QDir::currentPath();
    QDir::setCurrent(startedFrom.path());

    WidgetPrompter prompter;
    ql::FilePanelRequest open;
    open.allowedExtensions = {QStringLiteral("qvleaf")};
    QString shown;
    // Answers the next panel once it is in front, as a user does: the path
    // typed into its name box, then Open. Selecting the file instead leaves a
    // focused name box as it was, and whether the panel was in front when
    // first seen depended on what had run before it.
    const auto watch = [&shown](const QString& path) {
        auto* poll = new QTimer;
        auto waited = std::make_shared<QElapsedTimer>();
        waited->start();
        QObject::connect(poll, &QTimer::timeout, poll, [poll, waited, &shown, path] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if ((!dialog || !dialog->isActiveWindow()) && !waited->hasExpired(10000))
                return;
            poll->deleteLater();
            if (!dialog)
                return;
            shown = dialog->directory().absolutePath();
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(path);
            static_cast<QDialog*>(dialog)->accept();
            // A panel that refuses the answer fails the test rather than hang it.
            if (dialog->isVisible())
                dialog->reject();
        });
        poll->start(10);
    };
    watch(flyers + QStringLiteral("/flyer.qvleaf"));
    EXPECT_EQ(prompter.runOpenPanel(open), QStringList{flyers + QStringLiteral("/flyer.qvleaf")});
    EXPECT_EQ(shown, documents) << "not the folder the program was started from";

    ql::FilePanelRequest save;
    save.suggestedName = QStringLiteral("Untitled.qvleaf");
    watch(flyers + QStringLiteral("/Untitled.qvleaf"));
    EXPECT_EQ(prompter.runSavePanel(save), std::optional<QString>(flyers + QStringLiteral("/Untitled.qvleaf")));
    EXPECT_EQ(shown, flyers) << "where the last panel ended";

    QDir::setCurrent(before);
}
