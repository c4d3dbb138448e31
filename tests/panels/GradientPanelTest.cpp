#include "PanelTestSupport.h"

#include "../app/document/DocumentTestSupport.h"
#include "panels/gradients/ColorPanel.h"
#include "panels/gradients/GPColorWell.h"
#include "panels/gradients/GPGradientPanel.h"
#include "panels/gradients/GPGradientPickerLinear.h"
#include "panels/gradients/GPGradientView.h"
#include "panels/gradients/GPGradientWell.h"
#include "panels/gradients/GPGradients.h"

#include <QColorDialog>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

class GradientPanelTest : public ::testing::Test {
protected:
    ~GradientPanelTest() override { ColorPanel::shared().close(); }

    QString listPath() const { return folder.filePath(QStringLiteral("gradients.plist")); }

    void clickSwatch(GPGradientPanel& panel, int row)
    {
        QListWidget* list = panel.swatches();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }

    QList<Gradient> shownGradients(const GPGradientPanel& panel) const
    {
        QList<Gradient> shown;
        for (int i = 0; i < panel.swatches()->count(); ++i)
            shown.append(panel.swatches()->item(i)->data(Qt::UserRole).value<Gradient>());
        return shown;
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(GradientPanelTest, SwatchesSetThePickerAndTheActiveWell)
{
    GPGradientPanel panel(listPath());
    EXPECT_EQ(shownGradients(panel), GPGradientPanel::defaultGradients()) << "eight swatches in order";
    EXPECT_EQ(panel.gradientView()->gradient(), GPGradients::inverseGlossyGradient());
    EXPECT_EQ(panel.picker()->target(), &panel);

    QWidget window;
    auto* well = new GPGradientWell(&window);
    well->resize(120, 23);
    well->setGradientPanel(&panel);
    EXPECT_EQ(well->gradient(), GPGradients::clearGradient()) << "wells start clear";
    QSignalSpy actions(well, &GPGradientWell::action);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(well, Qt::LeftButton);
    EXPECT_TRUE(well->isActive());
    EXPECT_EQ(panel.activeWell(), well);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.picker()->gradientValue(), GPGradients::clearGradient());
    EXPECT_EQ(actions.count(), 0) << "taking the well's own gradient fires nothing";

    clickSwatch(panel, 2);
    EXPECT_EQ(panel.picker()->gradientValue(), GPGradients::spectrumGradient());
    EXPECT_EQ(well->gradient(), GPGradients::spectrumGradient());
    EXPECT_EQ(actions.count(), 1);

    // The picker's edits reach the well too.
    QTest::mouseClick(panel.picker(), Qt::LeftButton, {}, QPoint(100, 63));
    EXPECT_EQ(well->gradient().stops().size(), 7);
    EXPECT_EQ(actions.count(), 2);

    // Another well takes the panel; the first lets go.
    auto* other = new GPGradientWell(&window);
    other->setGradientPanel(&panel);
    other->move(0, 30);
    other->show();
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_FALSE(well->isActive());
    EXPECT_EQ(panel.activeWell(), other);
    clickSwatch(panel, 1);
    EXPECT_EQ(actions.count(), 2) << "the first well hears nothing more";
    EXPECT_EQ(other->gradient(), GPGradients::simpleGradient());

    panel.close();
    EXPECT_FALSE(other->isActive()) << "closing the panel lets go of its well";
}

TEST_F(GradientPanelTest, ClickingAStopHandsTheColourPanelOverFromAnyWell)
{
    GPGradientPanel panel(listPath());
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QWidget window;
    auto* colourWell = new GPColorWell(&window);
    window.show();
    QTest::mouseClick(colourWell, Qt::LeftButton);
    ASSERT_TRUE(colourWell->isActive());
    ASSERT_EQ(ColorPanel::shared().client(), colourWell);

    // Stop 0 of white to black, at the bottom of the bar.
    QTest::mouseClick(panel.picker(), Qt::LeftButton, {}, QPoint(30, 113));
    EXPECT_EQ(panel.picker()->activeColorStop(), 0);
    EXPECT_FALSE(colourWell->isActive());
    EXPECT_EQ(ColorPanel::shared().client(), panel.picker());
    ColorPanel::shared().dialog()->setCurrentColor(QColor(0, 128, 0));
    EXPECT_EQ(panel.picker()->gradientValue().stops().first().color, Color::fromQColor(QColor(0, 128, 0)));
}

TEST_F(GradientPanelTest, TheListIsKeptInTheUsersFileAndADamagedOneGivesTheDefaults)
{
    {
        GPGradientPanel panel(listPath());
        EXPECT_FALSE(QFile::exists(listPath())) << "nothing written until the list changes";
        panel.picker()->setGradientValue(GPGradients::popoverHeaderGradient());
        panel.addButton()->click();
        ASSERT_EQ(panel.gradients().size(), 9);
        EXPECT_EQ(panel.gradients().last(), GPGradients::popoverHeaderGradient());
        EXPECT_FALSE(panel.removeButton()->isEnabled()) << "nothing selected";
        panel.swatches()->setCurrentRow(0);
        panel.removeButton()->click();
    }
    EXPECT_EQ(ql::testing::plistlib(listPath(), QStringLiteral("len(d['$objects'][d['$top']['root'].data]['NS.objects'])")),
              QStringLiteral("8"));
    {
        GPGradientPanel again(listPath());
        QList<Gradient> expected = GPGradientPanel::defaultGradients().mid(1);
        expected.append(GPGradients::popoverHeaderGradient());
        EXPECT_EQ(again.gradients(), expected) << "the list survives a new panel";
        EXPECT_EQ(shownGradients(again), expected);
    }

    ql::testing::writeFile(listPath(), QByteArray("bplist00 this is not a list"));
    GPGradientPanel damaged(listPath());
    EXPECT_EQ(damaged.gradients(), GPGradientPanel::defaultGradients());
    EXPECT_EQ(ql::testing::fileContents(listPath()), QByteArray("bplist00 this is not a list"))
        << "left alone until the user changes the list";
}
