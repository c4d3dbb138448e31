#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/inspectors/ZVBackgroundPicker.h"
#include "panels/inspectors/ZVPageSettingsController.h"
#include "platform/runtime/UserDefaults.h"
#include "PanelTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

class PageInspector : public ::testing::Test {
protected:
    PageInspector() : savedUnits(helper().defaults().objectForKey(QStringLiteral("unitsType")))
    {
        useUnits(0);
        document.setUpForWindow(true);
        inspector.setRepresentedObject(&document);
        inspector.view()->show();
        QCoreApplication::processEvents();
    }
    ~PageInspector() override
    {
        helper().defaults().setObject(QStringLiteral("unitsType"), savedUnits);
        helper().registerValueTransformers();
    }

    static ZVDesignHelper& helper() { return ZVDesignHelper::sharedInstance(); }
    static void useUnits(int units)
    {
        helper().defaults().setInteger(QStringLiteral("unitsType"), units);
        helper().registerValueTransformers();
    }
    template <class T = QLineEdit>
    T* control(const char* key)
    {
        return inspector.view()->findChild<T*>(QString::fromLatin1(key));
    }
    bool rowEnabled(const char* key) { return control<QWidget>(key)->isEnabled(); }
    void type(const char* key, const QString& text)
    {
        QLineEdit* field = control(key);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        endTurn();
    }
    ZVCanvasView* page() { return document.currentPage(); }

    QVariant savedUnits;
    Document document;
    ZVPageSettingsController inspector;
};

} // namespace

TEST_F(PageInspector, LengthsShowInTheDisplayUnitAndTypedOnesUndoAsOneStep)
{
    // The form fits the inspector pane beside its scroll bar.
    EXPECT_LE(inspector.view()->minimumSizeHint().width(),
              DocumentWindow::kRightPaneWidth - QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    EXPECT_EQ(control("topMargin")->text(), QStringLiteral("0.50 in"));
    EXPECT_EQ(control<QSpinBox>("colNumber")->value(), 2);
    type("topMargin", QStringLiteral("1"));
    EXPECT_EQ(page()->topMargin(), 72.0);
    EXPECT_EQ(control("topMargin")->text(), QStringLiteral("1.00 in"));
    document.undoManager()->undo();
    EXPECT_EQ(page()->topMargin(), 36.0);
    EXPECT_EQ(control("topMargin")->text(), QStringLiteral("0.50 in"));

    useUnits(2);
    inspector.bindings()->refresh();
    EXPECT_EQ(control("leftMargin")->text(), QStringLiteral("36 px"));
    control<QSpinBox>("rowNumber")->setValue(3);
    EXPECT_EQ(page()->rowNumber(), 3);
}

TEST_F(PageInspector, SizeFieldsOpenForCustomSizesOnlyAndFollowThePage)
{
    useUnits(2);
    inspector.bindings()->refresh();
    EXPECT_EQ(control<QComboBox>("pageSize")->currentText(), ZVPageSettingsController::pageSizeTitles()[1]);
    EXPECT_FALSE(rowEnabled("pageWidthRow"));
    EXPECT_FALSE(rowEnabled("pageHeightRow"));
    EXPECT_TRUE(rowEnabled("pageOrientationRow"));

    QComboBox* size = control<QComboBox>("pageSize");
    size->setCurrentIndex(0);
    emit size->activated(0);
    EXPECT_TRUE(rowEnabled("pageWidthRow"));
    EXPECT_FALSE(rowEnabled("pageOrientationRow"));
    type("pageWidth", QStringLiteral("500"));
    EXPECT_EQ(page()->frame().width(), 500.0);

    // Reopened, a custom page keeps its width field open.
    const Result<QByteArray> saved = document.dataOfType(kDesktopDocumentType);
    ASSERT_TRUE(saved);
    Document reopened;
    ASSERT_TRUE(reopened.readFromData(*saved, kDesktopDocumentType));
    reopened.setUpForWindow(false);
    ZVPageSettingsController second;
    second.setRepresentedObject(&reopened);
    EXPECT_TRUE(second.view()->findChild<QWidget*>(QStringLiteral("pageWidthRow"))->isEnabled());
    EXPECT_EQ(second.view()->findChild<QLineEdit*>(QStringLiteral("pageWidth"))->text(), QStringLiteral("500 px"));

    // Another page shows its own values, and its own background.
    document.insertPageAfter();
    page()->setValueForKey(u"leftMargin", 20.0);
    EXPECT_EQ(control("leftMargin")->text(), QStringLiteral("20 px"));
    EXPECT_TRUE(rowEnabled("pageWidthRow")) << "a new page takes the custom size";
    inspector.setRepresentedObject(&document);
    EXPECT_EQ(inspector.backgroundPicker()->background(), page()->backgroundView());
}

TEST_F(PageInspector, ApplyCopiesTheSettingsButNotBackgroundsOrElementsAndUndoesAsOne)
{
    UndoManager& undo = *document.undoManager();
    inspector.applyButton()->click();
    endTurn();
    EXPECT_FALSE(undo.canUndo()) << "one page: nothing changes";

    document.insertPageAfter();
    document.insertPageAfter();
    const QList<ZVCanvasView*> pages = document.pages();
    ASSERT_EQ(pages.size(), 3);
    for (int i = 0; i < 3; ++i) {
        pages[i]->setValueForKey(u"topMargin", 10.0 * (i + 1));
        pages[i]->backgroundView()->setValueForKey(u"backgroundType", i);
        pages[i]->addPuttyView(ZVPuttyView::initWithText().release());
    }
    endTurn();
    const int steps = undo.undoCount();
    document.setCurrentPage(pages[1]);
    inspector.applyButton()->click();
    endTurn();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pages[i]->topMargin(), 20.0);
        EXPECT_EQ(pages[i]->backgroundView()->valueForKey(u"backgroundType").toInt(), i);
        EXPECT_EQ(pages[i]->puttyViews().size(), 1);
    }
    EXPECT_EQ(undo.undoCount(), steps + 1);
    undo.undo();
    EXPECT_EQ(pages[0]->topMargin(), 10.0);
    EXPECT_EQ(pages[2]->topMargin(), 30.0);
}

TEST_F(PageInspector, MasterPagePopupLinksTheCurrentPageAsOneStepAndFollowsIt)
{
    UndoManager& undo = *document.undoManager();
    document.masterPages().append(document.newPage());
    ZVCanvasView* first = page();
    ZVCanvasView* second = document.newPage();
    document.contentPages().append(second);
    document.setCurrentPage(second);
    auto* popup = control<QComboBox>("masterPage");
    ASSERT_NE(popup, nullptr);
    const auto titles = [popup] {
        QStringList shown;
        for (int i = 0; i < popup->count(); ++i)
            shown.append(popup->itemText(i));
        return shown;
    };
    EXPECT_EQ(titles(), (QStringList {"None", "A", "B"}));
    EXPECT_EQ(popup->currentIndex(), 0);
    endTurn();
    document.updateChangeCountCleared();
    const int steps = undo.undoCount();

    // Chosen as the user picks an item.
    popup->setCurrentIndex(2);
    emit popup->activated(2);
    ZVCanvasView* masterB = document.masterPages().at(1);
    EXPECT_EQ(second->masterPage(), masterB);
    EXPECT_EQ(second->masterPageUUID(), masterB->uuid());
    endTurn();
    EXPECT_TRUE(document.isDocumentEdited());
    EXPECT_EQ(undo.undoCount(), steps + 1);
    undo.undo();
    EXPECT_EQ(second->masterPage(), nullptr);
    EXPECT_EQ(second->masterPageUUID(), QStringLiteral(""));
    EXPECT_EQ(popup->currentIndex(), 0) << "the popup follows undo";
    undo.redo();
    EXPECT_EQ(popup->currentIndex(), 2);

    document.setCurrentPage(first);
    EXPECT_EQ(popup->currentIndex(), 0) << "each page shows its own master";
    EXPECT_TRUE(popup->isEnabled());
    document.togglePagesType();
    EXPECT_FALSE(popup->isEnabled()) << "a master page has no master";
    document.togglePagesType();
    EXPECT_TRUE(popup->isEnabled());
}

TEST_F(PageInspector, ALinkedMastersGeometryShowsClosedAndSaysWhereItComesFrom)
{
    ZVCanvasView* master = document.masterPages().constFirst();
    master->setValueForKey(u"topMargin", 72.0);
    master->setValueForKey(u"fullBleed", true);
    page()->setValueForKey(u"topMargin", 18.0);
    auto* popup = control<QComboBox>("masterPage");
    popup->setCurrentIndex(1);
    emit popup->activated(1);
    endTurn();

    EXPECT_EQ(control("topMargin")->text(), QStringLiteral("1.00 in")) << "the value in effect";
    EXPECT_TRUE(control<QCheckBox>("fullBleed")->isChecked());
    auto* source = control<QLabel>("masterPageSource");
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(source->isVisible());
    EXPECT_EQ(source->text(), QStringLiteral("From master A"));
    for (const char* key : {"pageSize", "pageOrientation", "topMargin", "fullBleed", "bleedMargin", "colNumber", "colRowStyle"})
        EXPECT_FALSE(control<QWidget>(key)->isEnabled()) << key;
    EXPECT_FALSE(inspector.applyButton()->isEnabled()) << "it would copy settings the master hides";
    EXPECT_TRUE(popup->isEnabled()) << "the link itself can still change";
    master->setValueForKey(u"topMargin", 36.0);
    EXPECT_EQ(control("topMargin")->text(), QStringLiteral("0.50 in")) << "the master's changes show at once";

    // Unlinked, the page's own values, open again and edited as the page's.
    popup->setCurrentIndex(0);
    emit popup->activated(0);
    EXPECT_EQ(control("topMargin")->text(), QStringLiteral("0.25 in"));
    EXPECT_FALSE(control<QCheckBox>("fullBleed")->isChecked());
    EXPECT_FALSE(source->isVisible());
    EXPECT_TRUE(control<QWidget>("topMargin")->isEnabled());
    EXPECT_TRUE(inspector.applyButton()->isEnabled());
    type("topMargin", QStringLiteral("0.75"));
    EXPECT_EQ(page()->topMargin(), 54.0);
    EXPECT_EQ(master->topMargin(), 36.0);
}
