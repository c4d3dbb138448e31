#include "TestModels.h"

#include "platform/undo/KeyPathUndo.h"
#include "platform/undo/UndoManager.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using ql::UndoManager;

namespace {

// Ends the current event-loop turn, as returning to the run loop does.
void endTurn()
{
    QCoreApplication::processEvents();
}

} // namespace

TEST(UndoManager, RegistrationsOfOneTurnUndoAsOneStep)
{
    UndoManager undo;
    QObject target;
    std::vector<int> ran;
    undo.registerUndo(&target, [&] { ran.push_back(1); });
    undo.registerUndo(&target, [&] { ran.push_back(2); });
    endTurn();
    undo.registerUndo(&target, [&] { ran.push_back(3); });
    endTurn();
    EXPECT_EQ(undo.undoCount(), 2);
    EXPECT_EQ(undo.changeCount(), 2);

    undo.undo();
    EXPECT_EQ(ran, std::vector<int>{3});
    undo.undo();
    EXPECT_EQ(ran, (std::vector<int>{3, 2, 1})) << "a step's inverses run in reverse order";
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(undo.changeCount(), 0);
}

TEST(UndoManager, UndoRegistersRedoAndRedoRegistersUndo)
{
    UndoManager undo;
    QObject target;
    int value = 1;
    std::function<void(int)> setValue = [&](int newValue) {
        const int old = value;
        undo.registerUndo(&target, [&, old] { setValue(old); });
        value = newValue;
    };
    setValue(2);
    endTurn();
    setValue(3);
    endTurn();

    undo.undo();
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(undo.canRedo());
    EXPECT_EQ(undo.undoCount(), 1);
    undo.undo();
    EXPECT_EQ(value, 1);
    EXPECT_EQ(undo.redoCount(), 2);

    undo.redo();
    EXPECT_EQ(value, 2);
    EXPECT_EQ(undo.redoCount(), 1) << "redoing must not clear what is left to redo";
    EXPECT_EQ(undo.undoCount(), 1);
    undo.undo();
    EXPECT_EQ(value, 1);

    // A new change clears redo.
    undo.redo();
    setValue(7);
    endTurn();
    EXPECT_FALSE(undo.canRedo());
    undo.undo();
    EXPECT_EQ(value, 2);
}

TEST(UndoManager, DisabledRegistrationAndRemovedTargetsRecordNothing)
{
    UndoManager undo;
    QObject keep;
    {
        ql::UndoRegistrationBlocker blocker(&undo);
        undo.registerUndo(&keep, [] {});
    }
    endTurn();
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(undo.changeCount(), 0);

    auto gone = std::make_unique<QObject>();
    bool ranForGone = false;
    undo.registerUndo(gone.get(), [&] { ranForGone = true; });
    undo.registerUndo(&keep, [] {});
    endTurn();
    undo.removeAllActionsWithTarget(&keep);
    EXPECT_TRUE(undo.canUndo());
    gone.reset();
    undo.undo();
    EXPECT_FALSE(ranForGone) << "steps of a destroyed target are skipped";
}

TEST(UndoManager, ExplicitGroupsNestIntoOneStep)
{
    UndoManager undo;
    QObject target;
    undo.beginUndoGrouping();
    undo.registerUndo(&target, [] {});
    undo.beginUndoGrouping();
    undo.registerUndo(&target, [] {});
    undo.endUndoGrouping();
    undo.endUndoGrouping();
    undo.registerUndo(&target, [] {});
    endTurn();
    EXPECT_EQ(undo.undoCount(), 2) << "a group begun before anything else in the turn is a step of its own";
}

TEST(UndoManager, AGroupBegunAfterARegistrationNestsInTheTurnsStep)
{
    UndoManager undo;
    QObject target;
    std::vector<char> ran;
    undo.registerUndo(&target, [&] { ran.push_back('A'); });
    undo.beginUndoGrouping();
    undo.registerUndo(&target, [&] { ran.push_back('B'); });
    undo.endUndoGrouping();
    undo.registerUndo(&target, [&] { ran.push_back('C'); });
    endTurn();
    EXPECT_EQ(undo.undoCount(), 1) << "one user action, one step";
    undo.undo();
    EXPECT_EQ(ran, (std::vector<char>{'C', 'B', 'A'}));
    EXPECT_FALSE(undo.canUndo());

    // A group still open when the turn ends closes with the group.
    undo.registerUndo(&target, [] {});
    undo.beginUndoGrouping();
    endTurn();
    undo.registerUndo(&target, [] {});
    undo.endUndoGrouping();
    EXPECT_EQ(undo.undoCount(), 1);
    undo.registerUndo(&target, [] {});
    endTurn();
    EXPECT_EQ(undo.undoCount(), 2);
}

TEST(UndoManager, ClosingTheTurnsGroupEndsTheStepAtOnce)
{
    UndoManager undo;
    QObject target;
    int discarded = 0;
    QObject::connect(&undo, &UndoManager::redoActionsDiscarded, [&] { ++discarded; });
    // A step whose inverse registers it again, as every edit's does.
    std::function<void()> step = [&] { undo.registerUndo(&target, step); };
    step();
    undo.closeTurnGroup();
    EXPECT_EQ(undo.changeCount(), 1) << "the step counts before the turn ends";
    step();
    endTurn();
    EXPECT_EQ(undo.undoCount(), 2) << "what follows in the same turn is the next step";

    undo.undo();
    EXPECT_EQ(discarded, 0);
    step();
    EXPECT_EQ(discarded, 1) << "a new change throws the redo steps away";
    endTurn();
    undo.undo();
    undo.removeAllActions();
    EXPECT_EQ(discarded, 2);
    undo.removeAllActions();
    EXPECT_EQ(discarded, 2) << "nothing left to throw away";
}

TEST(KeyPathUndo, SetsKeyPathsBackWithExactlyOneInversePerStep)
{
    UndoManager undo;
    TestPage master;
    TestPage page;
    page.setTemplateView(&master);
    new ql::KeyPathUndoRecorder(&page, {QStringLiteral("leftMargin"), QStringLiteral("templateView.fullBleed")},
                                [&] { return &undo; });

    page.setLeftMargin(48);
    endTurn();
    master.setValueForKey(u"fullBleed", true); // observed through the template view
    endTurn();
    EXPECT_EQ(undo.undoCount(), 2);

    undo.undo();
    EXPECT_FALSE(master.fullBleed());
    EXPECT_EQ(undo.redoCount(), 1);
    undo.undo();
    EXPECT_EQ(page.leftMargin(), 36.0);
    undo.redo();
    EXPECT_EQ(page.leftMargin(), 48.0);
    EXPECT_EQ(undo.undoCount(), 1);
    undo.undo();
    undo.redo();
    undo.redo();
    EXPECT_TRUE(master.fullBleed());
    EXPECT_FALSE(undo.canRedo());
}

TEST(KeyPathUndo, ANullOldValueMakesAStepThatDoesNothing)
{
    UndoManager undo;
    TestPage page;
    new ql::KeyPathUndoRecorder(&page, {QStringLiteral("rowNumber")}, [&] { return &undo; });
    ASSERT_TRUE(page.setValueForKey(u"rowNumber", 3));
    endTurn();
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(page.rowNumber().toInt(), 3);
    EXPECT_FALSE(undo.canRedo());

    // Without an undo manager nothing is recorded.
    TestPage loose;
    new ql::KeyPathUndoRecorder(&loose, {QStringLiteral("leftMargin")}, [] { return nullptr; });
    loose.setLeftMargin(10);
    endTurn();
}

TEST(KeyPathUndo, AnObjectGoneBeforeTheStepRunsIsNotBroughtBack)
{
    UndoManager undo;
    TestDocument document;
    auto first = std::make_unique<TestPage>();
    TestPage second;
    new ql::KeyPathUndoRecorder(&document, {QStringLiteral("currentPage")}, [&] { return &undo; });
    document.setCurrentPage(first.get());
    endTurn();
    document.setCurrentPage(&second);
    endTurn();
    first.reset();

    undo.undo(); // would set the destroyed page back
    EXPECT_EQ(document.currentPage(), &second);
    EXPECT_FALSE(undo.canRedo()) << "a step that does nothing records no inverse";
    undo.undo();
    EXPECT_EQ(document.currentPage(), &second) << "a null old value makes a step that does nothing";
}

TEST(UndoManager, AStepMayDeleteItsManager)
{
    auto* manager = new ql::UndoManager;
    QPointer<ql::UndoManager> watched(manager);
    int ran = 0;
    manager->beginUndoGrouping();
    manager->registerUndo(nullptr, [&] { ++ran; });
    manager->registerUndo(nullptr, [&] {
        ++ran;
        delete manager;
    });
    manager->endUndoGrouping();
    manager->undo();
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(ran, 1) << "nothing of a deleted manager runs on";
}
