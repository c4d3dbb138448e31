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
    EXPECT_EQ(undo.undoCount(), 2);
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
