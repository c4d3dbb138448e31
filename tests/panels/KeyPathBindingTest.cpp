#include "PanelTestSupport.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "panels/controls/KeyPathBindings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

// Backgrounds of a real document, whose undo manager the writes reach.
struct Backgrounds {
    Backgrounds()
    {
        document.setUpForWindow(true);
        a = document.currentPage()->backgroundView();
        ZVPuttyView* element = ZVPuttyView::initWithText().release();
        document.currentPage()->addPuttyView(element);
        b = element->backgroundView();
        endTurn();
    }
    Document document;
    ZVBackgroundView* a = nullptr;
    ZVBackgroundView* b = nullptr;
};

void type(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

} // namespace

TEST(KeyPathBinding, FieldShowsAndWritesThroughItsTransformerAndFollowsItsTarget)
{
    Backgrounds backgrounds;
    QWidget window;
    auto* field = new QLineEdit(&window);
    KeyPathBindings bindings;
    KeyPathBinding::Options options;
    options.transformer = QStringLiteral("ZVPercentageTransformer");
    options.number = KeyPathBinding::NumberKind::Double;
    options.maximum = 1.0;
    KeyPathBinding* binding = bindings.bind(field, QStringLiteral("backgroundOpacity"), options);
    EXPECT_FALSE(field->isEnabled()) << "no target yet";
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QSignalSpy written(binding, &KeyPathBinding::didWrite);
    bindings.setTarget(backgrounds.a);
    EXPECT_TRUE(field->isEnabled());
    EXPECT_EQ(field->text(), QStringLiteral("100%"));
    EXPECT_EQ(written.count(), 0) << "pointing at a target writes nothing";

    type(field, QStringLiteral("25"));
    EXPECT_EQ(backgrounds.a->backgroundOpacity(), QVariant(0.25));
    EXPECT_EQ(field->text(), QStringLiteral("25%")) << "shown again through the transformer";
    type(field, QStringLiteral("180 %"));
    EXPECT_EQ(backgrounds.a->backgroundOpacity(), QVariant(1.0)) << "kept within its bounds";
    EXPECT_EQ(written.count(), 2);

    backgrounds.b->setBackgroundOpacity(0.5);
    bindings.setTarget(backgrounds.b);
    EXPECT_EQ(field->text(), QStringLiteral("50%"));
    backgrounds.a->setBackgroundOpacity(0.1);
    EXPECT_EQ(field->text(), QStringLiteral("50%")) << "the old target is no longer followed";
    backgrounds.b->setBackgroundOpacity(0.75);
    EXPECT_EQ(field->text(), QStringLiteral("75%"));
    EXPECT_EQ(binding->target(), backgrounds.b);

    // A target that goes away disables the control.
    auto* gone = new ZVBackgroundView;
    bindings.setTarget(gone);
    delete gone;
    EXPECT_FALSE(field->isEnabled());
    EXPECT_EQ(binding->target(), nullptr);
}

TEST(KeyPathBinding, KeyPathsReachThroughObjectsAndADragIsOneUndoStep)
{
    Backgrounds backgrounds;
    QWidget window;
    auto* crop = new QCheckBox(&window);
    auto* slider = new QSlider(Qt::Horizontal, &window);
    slider->setRange(0, 100);
    KeyPathBindings bindings;
    bindings.setUndoManagerProvider([&] { return backgrounds.document.undoManager(); });
    bindings.bind(crop, QStringLiteral("puttyView.cropMode"));
    bindings.bind(std::make_unique<SliderAdapter>(slider, 100), QStringLiteral("backgroundGradientSplit"));
    bindings.setTarget(backgrounds.b);

    ZVPuttyView* element = backgrounds.b->puttyView();
    ASSERT_NE(element, nullptr);
    EXPECT_FALSE(crop->isChecked());
    element->setCropMode(true);
    EXPECT_TRUE(crop->isChecked()) << "follows the element behind the background";
    crop->click();
    EXPECT_FALSE(element->cropMode());

    EXPECT_EQ(slider->value(), 100);
    UndoManager* undo = backgrounds.document.undoManager();
    endTurn();
    const int steps = undo->undoCount();
    slider->setSliderDown(true);
    for (int position : {90, 70, 40}) {
        slider->setValue(position);
        endTurn();
    }
    slider->setSliderDown(false);
    endTurn();
    EXPECT_DOUBLE_EQ(backgrounds.b->backgroundGradientSplit().toDouble(), 0.4);
    EXPECT_EQ(undo->undoCount(), steps + 1);
    undo->undo();
    EXPECT_EQ(backgrounds.b->backgroundGradientSplit(), QVariant(1));
    EXPECT_EQ(slider->value(), 100);
}
