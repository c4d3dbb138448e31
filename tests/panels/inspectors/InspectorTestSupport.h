// An inspector on a real document: one element on the current page,
// focused, the inspector's view shown in a window; and edits made the way a
// user makes them, checked against the element's key path with Undo and Redo.
#pragma once

#include "../PanelTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/gradients/GPColorWell.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/undo/UndoManager.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace ql::test {

template <class Inspector>
class InspectorHarness {
public:
    explicit InspectorHarness(std::unique_ptr<ZVPuttyView> made)
    {
        document.setUpForWindow(true);
        page = document.currentPage();
        element = made.release();
        page->addPuttyView(element);
        inspector.setRepresentedObject(&document);
        view = inspector.view();
        view->resize(265, 1400);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view));
        refocus();
    }

    // A page switch leaves nothing selected a moment later; the element is
    // focused again after that. Waiting a fixed time for it lost the race on
    // a loaded machine, so the deselect is run first.
    void refocus()
    {
        DeferredCalls::instance().flush();
        page->setFocusedPuttyView(element);
        endTurn();
    }

    template <class T>
    T* control(const QString& name, int index = 0) const
    {
        const QList<T*> found = view->findChildren<T*>(name);
        EXPECT_GT(found.size(), index) << name.toStdString();
        return found.value(index);
    }
    UndoManager* undo() { return document.undoManager(); }

    Document document;
    ZVCanvasView* page = nullptr;
    ZVPuttyView* element = nullptr;
    Inspector inspector;
    QWidget* view = nullptr;
};

// Types into a field and presses Return. A missing control has failed the
// test already (control()); the edits after it do nothing rather than crash.
inline void type(QLineEdit* field, const QString& text)
{
    if (!field)
        return;
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
    endTurn();
}

inline void choose(QComboBox* box, int index)
{
    if (!box)
        return;
    box->setCurrentIndex(index);
    emit box->activated(index);
    endTurn();
}

// Presses the slider, moves it through the positions (one event-loop turn
// each), lets go.
inline void drag(QAbstractSlider* slider, std::initializer_list<int> positions)
{
    slider->setSliderDown(true);
    emit slider->sliderPressed();
    for (int position : positions) {
        slider->setValue(position);
        endTurn();
    }
    slider->setSliderDown(false);
    emit slider->sliderReleased();
    endTurn();
}

inline void pick(GPColorWell* well, const Color& color)
{
    well->setColor(color);
    emit well->action();
    endTurn();
}

inline bool sameKind(const QVariant& a, const QVariant& b)
{
    const auto integral = [](const QVariant& v) {
        const int id = v.typeId();
        return id == QMetaType::Int || id == QMetaType::LongLong || id == QMetaType::UInt || id == QMetaType::ULongLong;
    };
    return a.metaType() == b.metaType() || (integral(a) && integral(b));
}

// One row of an inspector's table: an edit of a control and what the key
// path holds after it.
struct ControlEdit {
    QString keyPath;
    std::function<void()> edit;
    QVariant expected;
};

// Each edit writes its key path with the expected value and kind, as one
// step: Undo gives the old value back, Redo the new one.
inline void checkEdits(KVObject& target, UndoManager& undo, const QList<ControlEdit>& edits)
{
    for (const ControlEdit& row : edits) {
        SCOPED_TRACE(row.keyPath.toStdString());
        const QVariant before = target.valueForKeyPath(row.keyPath);
        const int steps = undo.undoCount();
        row.edit();
        const QVariant after = target.valueForKeyPath(row.keyPath);
        EXPECT_EQ(after, row.expected);
        EXPECT_TRUE(sameKind(after, row.expected)) << after.typeName() << " for " << row.expected.typeName();
        EXPECT_EQ(undo.undoCount(), steps + 1) << "one step";
        undo.undo();
        endTurn();
        EXPECT_EQ(target.valueForKeyPath(row.keyPath), before) << "undone";
        undo.redo();
        endTurn();
        EXPECT_EQ(target.valueForKeyPath(row.keyPath), row.expected) << "redone";
    }
}

// Sets a user default for one scope and puts the previous value back, even
// when a failed assertion leaves the test early.
class DefaultScope {
public:
    DefaultScope(const QString& key, const QVariant& value)
        : m_key(key), m_previous(ZVDesignHelper::sharedInstance().defaults().objectForKey(key))
    {
        ZVDesignHelper::sharedInstance().defaults().setObject(key, value);
    }
    ~DefaultScope() { ZVDesignHelper::sharedInstance().defaults().setObject(m_key, m_previous); }
    DefaultScope(const DefaultScope&) = delete;
    DefaultScope& operator=(const DefaultScope&) = delete;

private:
    QString m_key;
    QVariant m_previous;
};

// Sets the display unit for one test and puts the previous one back.
class UnitsScope {
public:
    explicit UnitsScope(int units)
        : m_previous(ZVDesignHelper::sharedInstance().defaults().integerForKey(QStringLiteral("unitsType")))
    {
        set(units);
    }
    ~UnitsScope() { set(int(m_previous)); }
    // As the units command stores it; showing the element again reads it.
    static void set(int units)
    {
        ZVDesignHelper::sharedInstance().defaults().setInteger(QStringLiteral("unitsType"), units);
        ZVDesignHelper::sharedInstance().registerValueTransformers();
    }

private:
    qint64 m_previous;
};

} // namespace ql::test
