// The export as a user drives it: the File menu's Export opens the sheet,
// its controls follow the format's rules, Next asks for a folder and the
// files land there, named as the sheet's name field says; existing files
// are replaced only when the user says so.
#include "ExportTestSupport.h"

#include "../window/WindowTestSupport.h"
#include "app/export/ExportCommand.h"
#include "app/export/ExportSheet.h"
#include "app/window/WindowMenus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTest>

namespace ql::testing {
namespace {

class ExportSheetTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("out")));
    }
    QString out(const QString& name = {}) const { return folder.filePath(QStringLiteral("out/") + name); }
    QStringList written() const { return QDir(out()).entryList(QDir::Files, QDir::Name); }
    void clearOut() const
    {
        for (const QString& name : written())
            QFile::remove(out(name));
    }
    template <class T>
    T* control(const char* name) const
    {
        T* found = window->outlets().exportPanel->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void openSheet() { window->menus().item(QStringLiteral("exportDocument:"))->trigger(); }
    // As the user picks an entry.
    void choose(const char* box, int index)
    {
        auto* combo = control<QComboBox>(box);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void typeName(const QString& name)
    {
        auto* field = control<QLineEdit>("exportFilenameField");
        field->clear();
        QTest::keyClicks(field, name);
    }
    // Next, the folder panel answered with the output folder or cancelled,
    // the alerts after it with `answers`, then every step to the end.
    void next(bool chooseFolder = true, const QList<int>& answers = {})
    {
        prompter.answerFolderPanel(chooseFolder ? std::optional<QString>(out()) : std::nullopt);
        for (int answer : answers)
            prompter.answerAlert(answer);
        QTest::mouseClick(control<QPushButton>("exportNext"), Qt::LeftButton);
        DeferredCalls::instance().flush();
    }
    // A PNG export at 72 dpi named `name`.
    QStringList exportPng(const QString& name)
    {
        clearOut();
        openSheet();
        choose("exportFormat", 2);
        choose("exportResolution", 0);
        typeName(name);
        next();
        return written();
    }
    void addPages(int total)
    {
        while (document->pages().size() < total)
            document->insertPageAfter();
    }
};

TEST_F(ExportSheetTest, FilesAreNamedByTheNameFieldAndNumberedWhenSeveral)
{
    EXPECT_EQ(exportPng(QStringLiteral("Flyer")), QStringList {"Flyer.png"});
    ASSERT_FALSE(prompter.panels.isEmpty());
    EXPECT_EQ(prompter.panels.last().prompt, QStringLiteral("Export"));
    EXPECT_EQ(prompter.panels.last().suggestedName, QStringLiteral("Flyer"));
    EXPECT_FALSE(window->outlets().exportPanel->isVisible());
    EXPECT_FALSE(window->outlets().downloadingPanel->isVisible());
    EXPECT_EQ(exportPng(QStringLiteral("my.flyer")), QStringList {"my.png"});
    // The next folder panel opens where the last export went.
    EXPECT_EQ(prompter.panels.last().directory, out());
    EXPECT_EQ(exportPng(QStringLiteral("a/b?c")), QStringList {"abc.png"});
    EXPECT_EQ(exportPng(QString()), QStringList {"Untitled.png"});

    addPages(5);
    EXPECT_EQ(exportPng(QStringLiteral("Flyer")),
              (QStringList {"Flyer_1.png", "Flyer_2.png", "Flyer_3.png", "Flyer_4.png", "Flyer_5.png"}));
    clearOut();
    openSheet();
    choose("exportFormat", 2);
    choose("exportResolution", 0);
    typeName(QStringLiteral("Flyer"));
    control<QRadioButton>("exportSomePages")->click();
    control<QSpinBox>("exportPageStart")->setValue(3);
    next();
    EXPECT_EQ(written(), (QStringList {"Flyer_1.png", "Flyer_2.png", "Flyer_3.png"}));
}

TEST_F(ExportSheetTest, TheFirstFolderPanelStartsBesideTheDocumentThenWhereTheLastExportWent)
{
    HomeFolder home(folder.path());
    const QString documents = folder.filePath(QStringLiteral("Documents"));
    const QString work = folder.filePath(QStringLiteral("Work"));
    ASSERT_TRUE(QDir().mkpath(documents));
    ASSERT_TRUE(QDir().mkpath(work));
    const auto firstPanelDirectory = [this](bool chooseFolder) {
        openSheet();
        next(chooseFolder);
        return prompter.panels.isEmpty() ? QString() : prompter.panels.last().directory;
    };

    // Never saved: the documents folder, not the one the program was started in.
    EXPECT_EQ(firstPanelDirectory(false), documents);
    ASSERT_TRUE(controller.saveDocumentToFile(document, QDir(work).filePath(QStringLiteral("Flyer.qvleaf"))));
    EXPECT_EQ(firstPanelDirectory(true), work) << "beside the document";
    EXPECT_EQ(firstPanelDirectory(false), out()) << "where the last export went";
    ASSERT_TRUE(QDir(out()).removeRecursively());
    EXPECT_EQ(firstPanelDirectory(false), work) << "that folder is gone";
}

TEST_F(ExportSheetTest, ControlsFollowTheFormatsRules)
{
    addPages(3);
    QTest::mouseClick(window->outlets().exportButton.data(), Qt::LeftButton);
    ASSERT_TRUE(window->outlets().exportPanel->isVisible());
    EXPECT_EQ(control<QLineEdit>("exportFilenameField")->text(), QStringLiteral("Untitled"));
    // PDF: no resolution, a shorter option area.
    EXPECT_FALSE(control<QComboBox>("exportResolution")->isEnabled());
    EXPECT_EQ(control<QWidget>("exportOptions")->height(), 210);
    choose("exportFormat", 1);
    EXPECT_TRUE(control<QComboBox>("exportResolution")->isEnabled());
    EXPECT_TRUE(control<QWidget>("exportQuality")->isEnabled());
    EXPECT_EQ(control<QWidget>("exportOptions")->height(), 320);
    control<QCheckBox>("exportCMYK")->click();
    EXPECT_EQ(document->exportColorSpace().toInt(), 1);
    choose("exportFormat", 3);
    EXPECT_EQ(document->exportColorSpace().toInt(), 1) << "TIFF keeps CMYK";
    EXPECT_TRUE(control<QCheckBox>("exportCMYK")->isEnabled());
    EXPECT_FALSE(control<QWidget>("exportQuality")->isEnabled());
    choose("exportFormat", 2);
    EXPECT_EQ(document->exportColorSpace().toInt(), 0) << "PNG is RGB";
    EXPECT_FALSE(control<QCheckBox>("exportCMYK")->isEnabled());

    // The range stays within the pages, its start never after its end, and
    // goes back to every page with each change of format.
    control<QRadioButton>("exportSomePages")->click();
    auto* start = control<QSpinBox>("exportPageStart");
    auto* end = control<QSpinBox>("exportPageEnd");
    EXPECT_EQ(end->maximum(), 3);
    end->setValue(2);
    start->setValue(3);
    EXPECT_EQ(document->exportPageEnd().toInt(), 3);
    end->setValue(1);
    EXPECT_EQ(document->exportPageStart().toInt(), 1);
    start->setValue(2);
    choose("exportFormat", 1);
    EXPECT_EQ(start->value(), 1);
    EXPECT_EQ(end->value(), 3);

    // The booklet flag is stored with the document: setting it is an edit.
    control<QCheckBox>("exportBooklet")->click();
    EXPECT_TRUE(document->formatAsBooklet());
    EXPECT_TRUE(document->isDocumentEdited());

    QTest::mouseClick(control<QPushButton>("exportCancel"), Qt::LeftButton);
    EXPECT_FALSE(window->outlets().exportPanel->isVisible());
    EXPECT_EQ(prompter.panels.size(), 0);
}

TEST_F(ExportSheetTest, ExistingFilesAreReplacedOnlyWhenTheUserSaysSoAndFailuresAreTold)
{
    addPages(3);
    writeFile(out(QStringLiteral("Flyer_1.png")), "old");
    ASSERT_TRUE(QDir(out()).mkdir(QStringLiteral("Flyer_3.png")));
    openSheet();
    choose("exportFormat", 2);
    choose("exportResolution", 0);
    typeName(QStringLiteral("Flyer"));
    // Flyer_1.png: Cancel; Flyer_3.png: Replace, which fails.
    next(true, {1, 0});
    ASSERT_EQ(prompter.alerts.size(), 3);
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("Flyer_1.png already exists. Do you want to replace it?"));
    EXPECT_EQ(prompter.alerts[0].informativeText,
              QStringLiteral("A file or folder with the same name already exists in the folder “out”. Replacing "
                             "it will overwrite its current contents."));
    EXPECT_EQ(prompter.alerts[0].buttons, (QStringList {"Replace", "Cancel"}));
    EXPECT_TRUE(prompter.alerts[2].messageText.contains(QLatin1String("Flyer_3.png"))) << prompter.alerts[2].messageText.toStdString();
    EXPECT_EQ(fileContents(out(QStringLiteral("Flyer_1.png"))), QByteArray("old"));
    EXPECT_TRUE(fileContents(out(QStringLiteral("Flyer_2.png"))).startsWith("\x89PNG"));

    openSheet();
    typeName(QStringLiteral("Flyer"));
    // Flyer_1.png and Flyer_2.png: Replace; Flyer_3.png: Cancel.
    next(true, {0, 0, 1});
    EXPECT_TRUE(fileContents(out(QStringLiteral("Flyer_1.png"))).startsWith("\x89PNG"));
    EXPECT_EQ(prompter.alerts.size(), 6);

    // Cancelling the folder panel writes nothing and closes the progress panel.
    clearOut();
    openSheet();
    next(false);
    EXPECT_TRUE(written().isEmpty());
    EXPECT_FALSE(window->outlets().downloadingPanel->isVisible());
}

} // namespace
} // namespace ql::testing
