#include "InspectorTestSupport.h"

#include "content/ZVBackgroundView.h"
#include "panels/controls/SegmentedControl.h"
#include "panels/inspectors/ZVBackgroundPicker.h"
#include "panels/inspectors/ZVLayerSettingsController.h"

#include <QCheckBox>
#include <QSlider>
#include <QToolButton>

using namespace ql;
using namespace ql::test;

namespace {

using Harness = InspectorHarness<ZVLayerSettingsController>;

std::unique_ptr<ZVPuttyView> textElement()
{
    std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
    element->setFrame(QRectF(100, 50, 280, 180));
    return element;
}

QLineEdit* frameField(Harness& h, int index)
{
    return h.control<QLineEdit>(QStringLiteral("frame"), index);
}

} // namespace

TEST(ElementInspector, EachControlWritesItsKeyPathAsOneUndoableStep)
{
    Harness h(textElement());
    const auto field = [&h](const char* name, const QString& text) {
        return [&h, name, text] { type(h.control<QLineEdit>(QString::fromLatin1(name)), text); };
    };
    const auto click = [&h](const char* name) { return [&h, name] { h.control<QCheckBox>(QString::fromLatin1(name))->click(); endTurn(); }; };
    const auto popup = [&h](const char* name, int index) {
        return [&h, name, index] { choose(h.control<QComboBox>(QString::fromLatin1(name)), index); };
    };
    const Color red = Color::calibratedRgb(1, 0, 0);
    checkEdits(*h.element, *h.undo(),
               {
                   {"frameCenterRotation", field("frameCenterRotation", "30"), 30.0},
                   {"hideFromPrinting", click("hideFromPrinting"), true},
                   {"layerOpacity", field("layerOpacity", "50"), 0.5},
                   {"layerOpacity", [&h] { drag(h.control<QSlider>(QStringLiteral("layerOpacity")), {90, 70, 40}); }, 0.4},
                   {"shadowEnabled", click("shadowEnabled"), true},
                   {"shadowColor", [&] { pick(h.control<GPColorWell>(QStringLiteral("shadowColor")), red); },
                    QVariant::fromValue(red)},
                   {"shadowOpacity", field("shadowOpacity", "25 %"), 0.25},
                   {"shadowOffset", field("shadowOffset", "8"), 8.0},
                   {"shadowBlurRadius", field("shadowBlurRadius", "3.5 pt"), 3.5},
                   {"shadowAngle", field("shadowAngle", "90°"), 90.0},
                   {"innerShadowEnabled", click("innerShadowEnabled"), true},
                   {"innerShadowOffset", field("innerShadowOffset", "4"), 4.0},
                   {"borderEnabled", click("borderEnabled"), true},
                   {"borderType", popup("borderType", 9), 9},
                   {"borderWidth", field("borderWidth", "4"), 4.0},
                   {"borderRadius", field("borderRadius", "6"), 6},
                   {"borderOpacity", field("borderOpacity", "50"), 0.5},
                   {"borderStyle", popup("borderStyle", 2), 2},
                   {"reflectionEnabled", click("reflectionEnabled"), true},
                   {"reflectionOpacity", field("reflectionOpacity", "30"), 0.3},
                   {"reflectionHeight", field("reflectionHeight", "60"), 60},
                   {"causesWrap", click("causesWrap"), true},
                   {"wrapType", popup("wrapType", 3), 3},
                   {"wrapMargins", field("wrapMargins", "12"), 12},
               });

    // The aspect flag keeps no history, as the element never did.
    const int steps = h.undo()->undoCount();
    h.control<QCheckBox>(QStringLiteral("keepAspectRatio"))->click();
    endTurn();
    EXPECT_FALSE(h.element->keepAspectRatio());
    EXPECT_EQ(h.undo()->undoCount(), steps);

    // Bounds hold: a blur cannot go below zero.
    type(h.control<QLineEdit>(QStringLiteral("shadowBlurRadius")), QStringLiteral("-5"));
    EXPECT_EQ(h.element->valueForKey(u"shadowBlurRadius"), QVariant(0.0));
}

TEST(ElementInspector, FrameFieldsShowTheDisplayUnitAndRefuseWhatIsNoSize)
{
    UnitsScope points(2);
    Harness h(textElement());
    EXPECT_EQ(frameField(h, 0)->text(), QStringLiteral("140 px"));
    EXPECT_EQ(frameField(h, 1)->text(), QStringLiteral("90 px"));
    EXPECT_EQ(frameField(h, 2)->text(), QStringLiteral("200 px"));
    EXPECT_EQ(frameField(h, 3)->text(), QStringLiteral("100 px"));
    EXPECT_EQ(frameField(h, 0)->accessibleName(), QStringLiteral("X"));

    const int steps = h.undo()->undoCount();
    type(frameField(h, 0), QStringLiteral("60"));
    EXPECT_EQ(h.element->frame(), QRectF(20, 50, 280, 180));
    EXPECT_EQ(h.undo()->undoCount(), steps + 1);

    UnitsScope::set(0);
    h.page->setFocusedPuttyView(h.element);
    EXPECT_EQ(frameField(h, 0)->text(), QStringLiteral("0.83 in"));
    EXPECT_EQ(frameField(h, 2)->text(), QStringLiteral("2.78 in"));
    h.element->setFrame(QRectF(100, 50, 280, 180));
    EXPECT_EQ(frameField(h, 0)->text(), QStringLiteral("1.94 in"));

    // Text without a number, or a negative size, changes nothing.
    for (const auto& [index, text] : {std::pair {0, "abc"}, std::pair {2, "-1"}, std::pair {3, ""}}) {
        type(frameField(h, index), QString::fromLatin1(text));
        EXPECT_EQ(h.element->frame(), QRectF(100, 50, 280, 180)) << text;
    }
    EXPECT_EQ(frameField(h, 0)->text(), QStringLiteral("1.94 in")) << "the field shows the frame again";

    // A size keeps the aspect ratio of the content when asked.
    type(frameField(h, 2), QStringLiteral("5.56"));
    EXPECT_NEAR(h.element->frame().width(), 480.32, 0.01);
    EXPECT_NEAR(h.element->frame().height(), 100 * 400.32 / 200 + 80, 0.01);
    h.undo()->undo();
    endTurn();
    EXPECT_EQ(h.element->frame(), QRectF(100, 50, 280, 180));
}

// With the proportion kept the other side follows the content: however
// small the typed side, neither goes below nothing, and a 0, from which no
// proportion can be kept, is refused.
TEST(ElementInspector, AKeptProportionNeverMakesANegativeSide)
{
    UnitsScope points(2);
    Harness h(textElement());
    ASSERT_TRUE(ZVDesignHelper::sharedInstance().keepAspectRatio());
    type(frameField(h, 2), QStringLiteral("20"));
    EXPECT_EQ(h.element->contentFrame(), QRectF(140, 90, 20, 10));
    EXPECT_EQ(frameField(h, 3)->text(), QStringLiteral("10 px"));
    const int steps = h.undo()->undoCount();
    for (const auto& [index, text] : {std::pair {3, "0"}, std::pair {2, "0 px"}, std::pair {2, "-0"}}) {
        type(frameField(h, index), QString::fromLatin1(text));
        EXPECT_EQ(h.element->contentFrame(), QRectF(140, 90, 20, 10)) << text;
        EXPECT_EQ(frameField(h, index)->text(), QString::fromLatin1(index == 2 ? "20 px" : "10 px")) << text;
    }
    EXPECT_EQ(h.undo()->undoCount(), steps) << "a refused entry records nothing";

    // Without the flag a 0 leaves the other side as it is, in one step.
    h.element->setKeepAspectRatio(false);
    type(frameField(h, 3), QStringLiteral("0"));
    EXPECT_EQ(h.element->contentFrame(), QRectF(140, 90, 20, 0));
    EXPECT_EQ(h.undo()->undoCount(), steps + 1);
    h.undo()->undo();
    endTurn();
    EXPECT_EQ(h.element->contentFrame(), QRectF(140, 90, 20, 10));
    h.undo()->redo();
    endTurn();
    EXPECT_EQ(h.element->contentFrame(), QRectF(140, 90, 20, 0));
}

TEST(ElementInspector, AlignSegmentsCallTheirPageCommands)
{
    Harness h(textElement());
    QList<std::pair<QString, bool>> calls;
    h.inspector.setCommandPerformer([&](ZVCanvasView& page, const QString& command, bool byCenter) {
        EXPECT_EQ(&page, h.page);
        calls.append({command, byCenter});
    });
    // Several selected elements have no focused one; the align controls
    // still work on them.
    h.page->setFocusedPuttyView(nullptr);
    EXPECT_FALSE(h.control<QWidget>(QStringLiteral("elementProperties"))->isEnabled());
    for (const char* name :
         {"alignToPage", "centerInPage", "alignEdges", "alignCenters", "distributeByEdges", "distributeByCenters"}) {
        SegmentedControl* control = h.inspector.alignControl(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        EXPECT_TRUE(control->isEnabled());
        for (int segment = 0; segment < control->segmentCount(); ++segment)
            control->button(segment)->click();
        EXPECT_EQ(control->selectedSegment(), -1) << "segments act, they do not stay chosen";
    }
    const QList<std::pair<QString, bool>> expected {
        {"alignViewLeft:", false},  {"alignViewRight:", false},   {"alignViewTop:", false},
        {"alignViewBottom:", false}, {"alignViewCenter:", false},  {"alignViewMiddle:", false},
        {"alignEdgesLeft:", false}, {"alignEdgesRight:", false},  {"alignEdgesTop:", false},
        {"alignEdgesBottom:", false}, {"alignCenterHorizontal:", false}, {"alignCenterVertical:", false},
        {"distributeEdgesVerticalByCenter:", false}, {"distributeEdgesHorizontalByCenter:", false},
        {"distributeEdgesVerticalByCenter:", true},  {"distributeEdgesHorizontalByCenter:", true},
    };
    EXPECT_EQ(calls, expected);
}

TEST(ElementInspector, AlignSegmentsMoveTheActiveElementsOnTheRealPage)
{
    Harness h(textElement());
    h.element->setIsActive(true);
    endTurn();
    const double pageWidth = h.page->frame().width();
    h.inspector.alignControl(QStringLiteral("centerInPage"))->button(0)->click();
    EXPECT_DOUBLE_EQ(h.element->frame().center().x(), pageWidth / 2);
    EXPECT_EQ(h.element->frame().y(), 50.0);
    endTurn();
    h.undo()->undo();
    EXPECT_EQ(h.element->frame(), QRectF(100, 50, 280, 180));
}

TEST(ElementInspector, FollowsTheFocusedElementAndIsEmptyWithoutOne)
{
    Harness h(textElement());
    auto* opacity = h.control<QLineEdit>(QStringLiteral("layerOpacity"));
    EXPECT_TRUE(opacity->isEnabled());
    EXPECT_EQ(opacity->text(), QStringLiteral("100%"));
    EXPECT_EQ(h.inspector.backgroundPicker()->background(), h.element->backgroundView());

    ZVPuttyView* other = ZVPuttyView::initWithText().release();
    other->setValueForKey(u"layerOpacity", 0.5);
    h.page->addPuttyView(other);
    h.page->setFocusedPuttyView(other);
    EXPECT_EQ(opacity->text(), QStringLiteral("50%"));
    EXPECT_EQ(h.inspector.backgroundPicker()->background(), other->backgroundView());
    type(opacity, QStringLiteral("20"));
    EXPECT_EQ(other->valueForKey(u"layerOpacity"), QVariant(0.2));
    EXPECT_NE(h.element->valueForKey(u"layerOpacity"), QVariant(0.2));

    h.page->setFocusedPuttyView(nullptr);
    EXPECT_FALSE(opacity->isEnabled());
    EXPECT_TRUE(opacity->text().isEmpty());
    EXPECT_TRUE(frameField(h, 0)->text().isEmpty());
    EXPECT_EQ(h.inspector.backgroundPicker()->background(), nullptr);
}
