#include "../document/DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"

#include <QMenuBar>
#include <QTest>

using namespace ql;
using DocumentWindowTest = ql::testing::DocumentFixture;

TEST_F(DocumentWindowTest, FrameIsNinetyPercentWideFullHeightAndCentred)
{
    EXPECT_EQ(DocumentWindow::initialFrame(QRect(0, 0, 1000, 700)), QRect(50, 0, 900, 700));
    EXPECT_EQ(DocumentWindow::initialFrame(QRect(1920, 30, 1000, 670)), QRect(1970, 30, 900, 670))
        << "kept within the visible area of the screen it is on";
}

TEST_F(DocumentWindowTest, FileMenuHasTheDocumentCommandsAndTheirKeys)
{
    Document* document = controller.newDocument();
    auto* window = qobject_cast<DocumentWindow*>(document->documentWindow());
    ASSERT_NE(window, nullptr);
    QStringList titles;
    QMenu* file = window->menuBar()->actions().first()->menu();
    ASSERT_NE(file, nullptr);
    for (QAction* action : file->actions())
        if (!action->isSeparator())
            titles.append(action->text().remove(QLatin1Char('&')));
    EXPECT_EQ(titles, (QStringList{"New", "Open…", "Open Recent", "Import…", "Close", "Save", "Save As…",
                                   "Revert to Saved", "Quit"}));

    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(controller.documents().size(), 2) << "Ctrl+N makes a new document";
    Document* second = controller.documents().last();
    ASSERT_TRUE(QTest::qWaitForWindowActive(second->documentWindow()));
    QTest::keyClick(second->documentWindow(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(controller.documents().size(), 1) << "Ctrl+W closes it";

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Untitled[*] — Quiverleaf"));
}
