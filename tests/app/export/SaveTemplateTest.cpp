// Save as Template through the window: the document is saved first, then
// copied byte for byte into the templates folder with a JPEG of its first
// page; a name in use is replaced only when the user says so.
#include "ExportTestSupport.h"

#include "../window/WindowTestSupport.h"
#include "design/ZVDesignHelper.h"
#include "app/window/WindowMenus.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"
#include "support/SpecialFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace ql::testing {
namespace {

class SaveTemplateTest : public WindowFixture {
protected:
    QString templates(const QString& name) const { return QDir(ZVDesignHelper::templatesFolder()).filePath(name); }
    QWidget* sheet() const { return window->outlets().saveTemplatePanel; }
    void saveAsTemplate() { window->menus().item(QStringLiteral("saveAsTemplate:"))->trigger(); }
    void saveNamed(const QString& name)
    {
        QLineEdit* field = window->outlets().saveTemplateName;
        field->clear();
        QTest::keyClicks(field, name);
        QTest::mouseClick(sheet()->findChild<QPushButton*>(QStringLiteral("saveTemplateNext")), Qt::LeftButton);
    }
    QJsonArray thumbnailSize(const QString& name) const
    {
        return jpegInfo(templates(name))[QStringLiteral("size")].toArray();
    }

    HomeFolder home {folder.path()};
};

TEST_F(SaveTemplateTest, SavesFirstThenCopiesTheFileWithAThumbnail)
{
    EXPECT_TRUE(ZVDesignHelper::templatesFolder().startsWith(folder.path()));
    prompter.answerSavePanel(std::nullopt);
    saveAsTemplate();
    EXPECT_FALSE(sheet()->isVisible()) << "no file to copy without a save";

    prompter.answerSavePanel(path(QStringLiteral("Flyer.qvleaf")));
    saveAsTemplate();
    ASSERT_TRUE(sheet()->isVisible());
    saveNamed(QString());
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("Please give this template a name."));
    EXPECT_FALSE(QDir(ZVDesignHelper::templatesFolder()).exists());
    EXPECT_TRUE(sheet()->isVisible());

    saveNamed(QStringLiteral("a/b"));
    EXPECT_FALSE(sheet()->isVisible());
    EXPECT_EQ(fileContents(templates(QStringLiteral("ab.qvleaf"))), fileContents(path(QStringLiteral("Flyer.qvleaf"))));
    EXPECT_EQ(jpegInfo(templates(QStringLiteral("ab.jpg")))[QStringLiteral("format")].toString(), QStringLiteral("JPEG"));
    EXPECT_EQ(thumbnailSize(QStringLiteral("ab.jpg")), (QJsonArray {297, 385}));

    // The same name again: Cancel keeps both files and the sheet; Replace
    // writes both anew.
    const QByteArray first = fileContents(templates(QStringLiteral("ab.qvleaf")));
    document->setFormatAsBooklet(true);
    document->insertPageAfter();
    prompter.answerAlert(1);
    saveAsTemplate();
    saveNamed(QStringLiteral("ab"));
    EXPECT_EQ(prompter.alerts.last().messageText, QStringLiteral("ab already exists. Do you want to replace it?"));
    EXPECT_EQ(prompter.alerts.last().buttons, (QStringList {"Replace", "Cancel"}));
    EXPECT_TRUE(sheet()->isVisible());
    EXPECT_EQ(fileContents(templates(QStringLiteral("ab.qvleaf"))), first);
    EXPECT_EQ(thumbnailSize(QStringLiteral("ab.jpg")), (QJsonArray {297, 385}));
    prompter.answerAlert(0);
    saveNamed(QStringLiteral("ab"));
    EXPECT_FALSE(sheet()->isVisible());
    EXPECT_NE(fileContents(templates(QStringLiteral("ab.qvleaf"))), first);
    EXPECT_EQ(fileContents(templates(QStringLiteral("ab.qvleaf"))), fileContents(path(QStringLiteral("Flyer.qvleaf"))));
    // The first booklet sheet of the first page alone: a blank half beside it.
    EXPECT_EQ(thumbnailSize(QStringLiteral("ab.jpg")), (QJsonArray {595, 385}));
}

// A pipe stands for a device: a name whose picture would go through a link
// to one is refused unasked, and neither file is written.
TEST_F(SaveTemplateTest, ANameLinkedToAPipeIsRefusedAndNothingIsWritten)
{
    const QString pipe = path(QStringLiteral("pipe"));
    ASSERT_TRUE(makeFifo(pipe));
    ASSERT_TRUE(QDir().mkpath(ZVDesignHelper::templatesFolder()));
    ASSERT_TRUE(QFile::link(pipe, templates(QStringLiteral("Pipe.jpg"))));
    prompter.answerSavePanel(path(QStringLiteral("Flyer.qvleaf")));
    saveAsTemplate();
    saveNamed(QStringLiteral("Pipe"));
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("The template “Pipe” could not be saved."));
    EXPECT_TRUE(prompter.alerts[0].informativeText.contains(QStringLiteral("“Pipe.jpg”")))
        << prompter.alerts[0].informativeText.toStdString();
    EXPECT_TRUE(isFifo(pipe));
    EXPECT_EQ(QFileInfo(templates(QStringLiteral("Pipe.jpg"))).symLinkTarget(), pipe);
    EXPECT_FALSE(QFileInfo::exists(templates(QStringLiteral("Pipe.qvleaf"))));
}

TEST_F(SaveTemplateTest, ThumbnailShowsTheFirstMasterWhileMastersAreShown)
{
    document->masterPages().constFirst()->backgroundView()->setBackgroundColor(
        QVariant::fromValue(Color::deviceRgb(1, 0, 0)));
    document->masterPages().constFirst()->backgroundView()->setBackgroundType(1);
    document->togglePagesType();
    prompter.answerSavePanel(path(QStringLiteral("Flyer.qvleaf")));
    saveAsTemplate();
    saveNamed(QStringLiteral("Red"));
    EXPECT_TRUE(isRed(decodedRGB(templates(QStringLiteral("Red.jpg"))).pixelColor(150, 190)));
}

} // namespace
} // namespace ql::testing
