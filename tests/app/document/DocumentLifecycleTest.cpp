#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

using namespace ql;
using ql::testing::DocumentFixture;

namespace {

void endTurn()
{
    QCoreApplication::processEvents();
}

// A step whose undo registers its redo, as every edit's inverse does.
void registerStep(Document& document)
{
    document.undoManager()->registerUndo(&document, [&document] { registerStep(document); });
}

// One undoable change, as an edit of the user registers it.
void editOnce(Document& document)
{
    registerStep(document);
    endTurn();
}

} // namespace

using DocumentLifecycle = DocumentFixture;

TEST_F(DocumentLifecycle, NewDocumentStartsWithItsDefaultsAndAWindow)
{
    Document* first = controller.newDocument();
    Document* second = controller.newDocument();
    EXPECT_EQ(first->displayName(), QStringLiteral("Untitled"));
    EXPECT_EQ(second->displayName(), QStringLiteral("Untitled 2"));

    EXPECT_EQ(Document().scrollMag(), QStringLiteral("100%"));
    EXPECT_TRUE(first->scrollMag().endsWith(QLatin1Char('%')))
        << "the window fits the whole page at first and shows the zoom that gave";
    EXPECT_TRUE(first->notes().isEmpty());
    EXPECT_FALSE(first->formatAsBooklet());
    EXPECT_EQ(first->pagesType(), QVariant(0));
    EXPECT_TRUE(first->leftPaneVisible() && first->rightPaneVisible() && first->layoutLayersPaneVisible());
    EXPECT_TRUE(first->rulersVisible());
    EXPECT_FALSE(first->pasteboardVisible());
    EXPECT_EQ(first->exportFileFormat(), QVariant(0));
    EXPECT_EQ(first->exportFileResolution(), QVariant(1));
    EXPECT_EQ(first->exportImageQuality(), QVariant(8));
    EXPECT_EQ(first->exportPageRangeType(), QVariant(0));
    EXPECT_FALSE(first->exportColorSpace().isValid());
    EXPECT_FALSE(first->valueForKey(u"exportFileName").isValid());
    EXPECT_DOUBLE_EQ(Document().exportContentHeight(), 320.0);
    EXPECT_DOUBLE_EQ(first->exportContentHeight(), 210.0) << "the window applies PDF's rules";

    EXPECT_FALSE(first->isDocumentEdited());
    EXPECT_FALSE(first->undoManager()->canUndo());
    EXPECT_TRUE(first->filePath().isEmpty());
    ASSERT_NE(first->documentWindow(), nullptr);
    EXPECT_TRUE(first->documentWindow()->isVisible());
    EXPECT_EQ(controller.documents().size(), 2);
}

TEST_F(DocumentLifecycle, DocumentWindowIsNullWithoutOrWithSeveralWindows)
{
    Document document;
    EXPECT_EQ(document.documentWindow(), nullptr);
    QWidget a;
    QWidget b;
    document.addWindow(&a);
    EXPECT_EQ(document.documentWindow(), &a);
    document.addWindow(&b);
    EXPECT_EQ(document.documentWindow(), nullptr);
    document.removeWindow(&a);
    EXPECT_EQ(document.documentWindow(), &b);
}

TEST_F(DocumentLifecycle, EditedStateFollowsTheUndoManagersChangeCount)
{
    Document* document = controller.newDocument();
    QWidget* window = document->documentWindow();
    editOnce(*document);
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(window->isWindowModified());

    document->undoManager()->undo();
    EXPECT_FALSE(document->isDocumentEdited()) << "undoing back to the saved state is unmodified again";
    EXPECT_FALSE(window->isWindowModified());

    document->undoManager()->redo();
    EXPECT_TRUE(document->isDocumentEdited());
    document->updateChangeCountCleared();
    EXPECT_FALSE(document->isDocumentEdited());
    document->undoManager()->undo();
    EXPECT_TRUE(document->isDocumentEdited()) << "undoing past the saved state is a change";

    document->updateChangeCountCleared();
    document->updateChangeCountDone();
    EXPECT_TRUE(document->isDocumentEdited()) << "changes without undo count too";
}

TEST_F(DocumentLifecycle, AChangeAfterUndoingPastTheSaveStaysEditedUntilTheNextSave)
{
    // Long enough that a loaded machine cannot autosave between the change and the checks.
    controller.setAutosaveDelay(1000);
    Document* document = controller.newDocument();
    ZVCanvasView* page = document->currentPage();
    const QString file = path(QStringLiteral("margins.qvleaf"));
    page->setValueForKey(u"leftMargin", 48.0);
    endTurn();
    ASSERT_TRUE(controller.saveDocumentToFile(document, file));

    document->undoManager()->undo();
    page->setValueForKey(u"topMargin", 10.0);
    endTurn();
    EXPECT_TRUE(document->isDocumentEdited()) << "the saved state can no longer come back";
    EXPECT_TRUE(document->documentWindow()->isWindowModified());
    document->undoManager()->undo();
    EXPECT_TRUE(document->isDocumentEdited()) << "undoing the new change does not reach the saved state either";
    document->undoManager()->redo();

    // Autosave writes the last change instead of skipping it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !document->isDocumentEdited(); }, 15000));
    Document reread;
    ASSERT_TRUE(reread.readFromData(ql::testing::fileContents(file), kDesktopDocumentType));
    EXPECT_EQ(reread.contentPages().first()->leftMargin(), 36.0);
    EXPECT_EQ(reread.contentPages().first()->topMargin(), 10.0);

    // And closing asks.
    controller.setAutosaveDelay(600000);
    document->undoManager()->undo();
    page->setValueForKey(u"rightMargin", 20.0);
    endTurn();
    prompter.answerAlert(1); // Cancel
    EXPECT_FALSE(controller.closeDocument(document));
    EXPECT_EQ(prompter.alerts.size(), 1);
}

TEST_F(DocumentLifecycle, ASaveInTheTurnOfAChangeSavesAfterIt)
{
    Document* document = controller.newDocument();
    ZVCanvasView* page = document->currentPage();
    page->setValueForKey(u"leftMargin", 48.0); // the same turn: the step is still open
    ASSERT_TRUE(controller.saveDocumentToFile(document, path(QStringLiteral("quick.qvleaf"))));
    EXPECT_FALSE(document->isDocumentEdited()) << "the file holds the change";
    endTurn();
    EXPECT_FALSE(document->isDocumentEdited());

    document->undoManager()->undo();
    EXPECT_EQ(page->leftMargin(), 36.0);
    EXPECT_TRUE(document->isDocumentEdited()) << "the page now differs from the file";
    document->undoManager()->redo();
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(DocumentLifecycle, ClosingAnEditedDocumentAsksAndCanBeCancelled)
{
    Document* untouched = controller.newDocument();
    EXPECT_TRUE(controller.closeDocument(untouched));
    EXPECT_TRUE(prompter.alerts.isEmpty()) << "an unedited document closes without a question";

    Document* document = controller.newDocument();
    QPointer<QWidget> window = document->documentWindow();
    editOnce(*document);

    prompter.answerAlert(1); // Cancel
    EXPECT_FALSE(window->close());
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText,
              QStringLiteral("Do you want to save the changes made to the document “Untitled 2”?"));
    EXPECT_EQ(prompter.alerts[0].buttons,
              (QStringList{QStringLiteral("Save"), QStringLiteral("Cancel"), QStringLiteral("Don’t Save")}));
    EXPECT_TRUE(controller.documents().contains(document));
    EXPECT_TRUE(window->isVisible());

    prompter.answerAlert(0);                  // Save
    prompter.answerSavePanel(std::nullopt);   // ... but cancel the save panel
    EXPECT_FALSE(controller.closeDocument(document));
    EXPECT_TRUE(controller.documents().contains(document)) << "a cancelled save keeps the document open";

    prompter.answerAlert(2); // Don't Save
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(controller.documents().contains(document));
    EXPECT_EQ(prompter.unansweredRequests, 0);
}

TEST_F(DocumentLifecycle, CurrentDocumentIsTheOneWhoseWindowIsActive)
{
    Document* a = controller.newDocument();
    Document* b = controller.newDocument();
    EXPECT_EQ(controller.currentDocument(), b) << "a new document's window comes to the front";

    a->documentWindow()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(a->documentWindow()));
    EXPECT_EQ(controller.currentDocument(), a);

    b->documentWindow()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(b->documentWindow()));
    EXPECT_EQ(controller.currentDocument(), b);

    controller.closeDocument(b);
    EXPECT_EQ(controller.currentDocument(), a) << "closing the current document hands over to another";
    controller.closeDocument(a);
    EXPECT_EQ(controller.currentDocument(), nullptr);
}

TEST_F(DocumentLifecycle, RecentDocumentsAreMostRecentFirstWithoutDuplicatesOrMissingFiles)
{
    controller.clearRecentDocuments();
    QStringList files;
    for (int i = 0; i < 12; ++i) {
        files.append(path(QStringLiteral("file%1.qvleaf").arg(i)));
        ql::testing::writeFile(files.last(), "x");
        controller.noteRecentDocument(files.last());
    }
    controller.noteRecentDocument(files[5]);
    const QStringList recent = controller.recentDocumentPaths();
    ASSERT_EQ(recent.size(), 10);
    EXPECT_EQ(recent[0], files[5]);
    EXPECT_EQ(recent[1], files[11]);
    EXPECT_EQ(recent.count(files[5]), 1);

    QFile::remove(files[11]);
    EXPECT_FALSE(controller.recentDocumentPaths().contains(files[11])) << "files gone from disk are not offered";

    UserDefaults reread(defaults.filePath());
    EXPECT_EQ(reread.arrayForKey(QStringLiteral("recentDocuments")).first().toString(), files[5])
        << "the list outlives the program";

    controller.clearRecentDocuments();
    EXPECT_TRUE(controller.recentDocumentPaths().isEmpty());
}

TEST_F(DocumentLifecycle, FilesThatAreNoDocumentsAreRefusedByName)
{
    ql::testing::writeFile(path(QStringLiteral("letter.txt")), "Dear reader");
    Result<Document*> wrongKind = controller.openDocumentWithContentsOfFile(path(QStringLiteral("letter.txt")));
    ASSERT_FALSE(wrongKind.ok());
    EXPECT_TRUE(wrongKind.error().message.contains(QStringLiteral("letter.txt")));

    Result<Document*> missing = controller.openDocumentWithContentsOfFile(path(QStringLiteral("gone.qvleaf")));
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().message.contains(QStringLiteral("gone.qvleaf")));

    ASSERT_EQ(prompter.alerts.size(), 2);
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("The document “letter.txt” could not be opened."));
    EXPECT_TRUE(controller.documents().isEmpty()) << "no window opens for a file that could not be read";
    EXPECT_EQ(ql::testing::fileContents(path(QStringLiteral("letter.txt"))), QByteArray("Dear reader"));
}
