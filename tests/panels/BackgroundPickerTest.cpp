#include "PanelTestSupport.h"

#include "../app/document/DocumentTestSupport.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/gradients/ColorPanel.h"
#include "panels/gradients/GPColorWell.h"
#include "panels/gradients/GPGradientPanel.h"
#include "panels/gradients/GPGradientWell.h"
#include "panels/gradients/GPGradients.h"
#include "panels/inspectors/BackgroundPictures.h"
#include "panels/inspectors/ZVBackgroundPicker.h"
#include "platform/graphics/BezierPath.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/ScriptedPrompter.h"
#include "shapes/ZVVectorView.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

// A document, a picker shown in a window, and the background it edits: the
// page's, or an element's on that page.
class Harness {
public:
    explicit Harness(bool element)
        : gradientPanel(folder.filePath(QStringLiteral("gradients.plist")))
    {
        document.setUpForWindow(true);
        page = document.currentPage();
        background = page->backgroundView();
        if (element) {
            ZVPuttyView* text = ZVPuttyView::initWithText().release();
            page->addPuttyView(text);
            background = text->backgroundView();
        }
        picker.setPrompter(&prompter);
        view = picker.view();
        view->resize(265, 600);
        picker.gradientWell()->setGradientPanel(&gradientPanel);
        picker.setRepresentedObject(background);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view));
        endTurn();
    }
    ~Harness()
    {
        ColorPanel::shared().close();
        gradientPanel.close();
    }

    template <class T>
    T* control(const QString& name) const
    {
        T* found = view->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    UndoManager* undo() { return document.undoManager(); }

    void choose(const QString& name, int index)
    {
        auto* box = control<QComboBox>(name);
        box->showPopup();
        QAbstractItemView* list = box->view();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(index, 0)).center());
    }
    void key(const QString& name, Qt::Key key, bool dial = false)
    {
        QWidget* widget = dial ? static_cast<QWidget*>(control<QAbstractSlider>(name)) : control<QSlider>(name);
        QTest::keyClick(widget, key);
    }
    void type(const QString& name, const QString& text)
    {
        auto* field = control<QLineEdit>(name);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void pickColour(const QString& well, const QColor& colour)
    {
        QTest::mouseClick(control<GPColorWell>(well), Qt::LeftButton);
        ColorPanel::shared().dialog()->setCurrentColor(colour);
    }
    void clickItem(const QString& list, int row)
    {
        auto* view = control<QListView>(list);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 0)).center());
    }

    QTemporaryDir folder;
    Document document;
    ZVCanvasView* page = nullptr;
    ZVBackgroundView* background = nullptr;
    ScriptedPrompter prompter;
    GPGradientPanel gradientPanel;
    ZVBackgroundPicker picker;
    QWidget* view = nullptr;
};

struct ControlRow {
    const char* control;
    const char* keyPath;
    std::function<void(ZVBackgroundView&)> prepare;
    std::function<void(Harness&)> act;
    QVariant expected;
};

void asType(ZVBackgroundView& background, int type)
{
    background.setBackgroundType(type);
}

QString writePicture(const QString& folder, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 220));
    const QString path = folder + QStringLiteral("/picture.png");
    image.save(path);
    return path;
}

QList<ControlRow> controlRows(const QString& pictureFile)
{
    const auto type = [](int t) { return [t](ZVBackgroundView& b) { asType(b, t); }; };
    const QColor red(200, 30, 40);
    return {
        {"backgroundType", "backgroundType", {}, [](Harness& h) { h.choose("backgroundType", 2); }, 2},
        {"opacity slider", "backgroundOpacity", type(1),
         [](Harness& h) { h.key("backgroundOpacity", Qt::Key_PageDown); }, 0.9},
        {"opacity field", "backgroundOpacity", type(1), [](Harness& h) { h.type("backgroundOpacity", "50"); }, 0.5},
        {"backgroundColor", "backgroundColor", type(1),
         [red](Harness& h) { h.pickColour("backgroundColor", red); }, QVariant::fromValue(Color::fromQColor(red))},
        {"backgroundGradientType", "backgroundGradientType", type(2),
         [](Harness& h) { h.choose("backgroundGradientType", 1); }, 1},
        {"backgroundGradientColor1", "backgroundGradientColor1", type(2),
         [red](Harness& h) { h.pickColour("backgroundGradientColor1", red); },
         QVariant::fromValue(Color::fromQColor(red))},
        {"backgroundGradientColor2", "backgroundGradientColor2", type(2),
         [red](Harness& h) { h.pickColour("backgroundGradientColor2", red); },
         QVariant::fromValue(Color::fromQColor(red))},
        {"split slider", "backgroundGradientSplit", type(2),
         [](Harness& h) { h.key("backgroundGradientSplit", Qt::Key_PageDown); }, 0.9},
        {"angle dial", "backgroundGradientAngle", type(2),
         [](Harness& h) { h.key("backgroundGradientAngle", Qt::Key_PageUp, true); }, 10.0},
        {"angle field", "backgroundGradientAngle", type(2),
         [](Harness& h) { h.type("backgroundGradientAngle", "45"); }, 45.0},
        {"gradient well", "gradient",
         [](ZVBackgroundView& b) {
             b.setBackgroundGradientType(2);
             b.setBackgroundType(2);
         },
         [](Harness& h) {
             QTest::mouseClick(h.control<GPGradientWell>("gradient"), Qt::LeftButton);
             QListWidget* swatches = h.gradientPanel.swatches();
             QTest::mouseClick(swatches->viewport(), Qt::LeftButton, {},
                               swatches->visualItemRect(swatches->item(1)).center());
         },
         QVariant::fromValue(GPGradients::simpleGradient())},
        {"backgroundImageType", "backgroundImageType", type(3),
         [](Harness& h) { QTest::mouseClick(h.control<QToolButton>("art"), Qt::LeftButton); }, 1},
        {"backgroundImageMode", "backgroundImageMode", type(3),
         [](Harness& h) { h.choose("backgroundImageMode", 3); }, 3},
        {"scale slider", "backgroundImageScale", type(3),
         [](Harness& h) { h.key("backgroundImageScale", Qt::Key_PageUp); }, 1.1},
        {"textures", "backgroundImage", type(3), [](Harness& h) { h.clickItem("backgroundImagePicker", 0); },
         QVariant::fromValue(Image(backgroundTextures().at(0).image))},
        {"art", "backgroundImage",
         [](ZVBackgroundView& b) {
             b.setBackgroundImageType(1);
             b.setBackgroundType(3);
         },
         [](Harness& h) { h.clickItem("backgroundArtPicker", 1); },
         QVariant::fromValue(Image(backgroundArt().at(1).image))},
        {"Choose…", "backgroundImage", type(3),
         [pictureFile](Harness& h) {
             h.prompter.answerOpenPanel({pictureFile});
             QTest::mouseClick(h.control<QPushButton>("chooseImage"), Qt::LeftButton);
         },
         QVariant::fromValue(*Image::fromFile(pictureFile))},
    };
}

void checkControls(bool element)
{
    QTemporaryDir pictures;
    const QString pictureFile = writePicture(pictures.path(), QSize(30, 20));
    for (const ControlRow& row : controlRows(pictureFile)) {
        SCOPED_TRACE(row.control);
        Harness h(element);
        if (row.prepare) {
            row.prepare(*h.background);
            endTurn();
        }
        const QVariant before = h.background->valueForKeyPath(QString::fromLatin1(row.keyPath));
        const int steps = h.undo()->undoCount();
        row.act(h);
        endTurn();
        const QVariant after = h.background->valueForKeyPath(QString::fromLatin1(row.keyPath));
        EXPECT_EQ(after.metaType(), row.expected.metaType()) << after.typeName();
        if (row.expected.typeId() == QMetaType::Double)
            EXPECT_NEAR(after.toDouble(), row.expected.toDouble(), 1e-9);
        else
            EXPECT_TRUE(after == row.expected);
        EXPECT_EQ(h.undo()->undoCount(), steps + 1) << "one step";
        h.undo()->undo();
        EXPECT_TRUE(h.background->valueForKeyPath(QString::fromLatin1(row.keyPath)) == before) << "Undo restores";
        h.undo()->redo();
        EXPECT_TRUE(h.background->valueForKeyPath(QString::fromLatin1(row.keyPath)) == after) << "Redo re-applies";
    }
}

} // namespace

TEST(BackgroundPicker, EachControlWritesItsKeyPathOnAPageBackground)
{
    checkControls(false);
}

TEST(BackgroundPicker, EachControlWritesItsKeyPathOnAnElementBackground)
{
    checkControls(true);
}

TEST(BackgroundPicker, ControlsShowForTheKindOfBackground)
{
    Harness h(false);
    const auto visible = [&h](const char* name) { return h.view->findChild<QWidget*>(name)->isVisible(); };
    EXPECT_FALSE(visible("backgroundColor"));
    EXPECT_FALSE(visible("gradientBox"));
    EXPECT_FALSE(visible("imageBox"));
    h.background->setBackgroundType(1);
    EXPECT_TRUE(visible("backgroundColor"));
    h.background->setBackgroundType(2);
    EXPECT_TRUE(visible("twoColourGradient"));
    EXPECT_FALSE(visible("customGradient"));
    h.background->setBackgroundGradientType(3);
    EXPECT_FALSE(visible("twoColourGradient"));
    EXPECT_TRUE(visible("customGradient"));
    h.background->setBackgroundType(3);
    EXPECT_TRUE(visible("backgroundImagePicker"));
    EXPECT_FALSE(visible("backgroundArtPicker"));
    EXPECT_FALSE(visible("puttyView.cropMode")) << "crop is for shape fills";
    h.background->setBackgroundImageType(1);
    EXPECT_FALSE(visible("backgroundImagePicker"));
    EXPECT_TRUE(visible("backgroundArtPicker"));
}

TEST(BackgroundPicker, SliderDragIsOneStep)
{
    Harness h(false);
    h.background->setBackgroundType(1);
    endTurn();
    auto* slider = h.control<QSlider>("backgroundOpacity");
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->value();
    option.sliderValue = slider->value();
    const QPoint handle =
        slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider).center();
    const int steps = h.undo()->undoCount();
    QTest::mousePress(slider, Qt::LeftButton, {}, handle);
    ASSERT_TRUE(slider->isSliderDown());
    for (int dx : {20, 50, 90}) {
        drag(slider, handle - QPoint(dx, 0));
        endTurn();
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, handle - QPoint(90, 0));
    endTurn();
    const double dragged = h.background->backgroundOpacity().toDouble();
    EXPECT_LT(dragged, 0.9);
    EXPECT_EQ(h.undo()->undoCount(), steps + 1);
    h.undo()->undo();
    EXPECT_EQ(h.background->backgroundOpacity(), QVariant(1));
    h.undo()->redo();
    EXPECT_DOUBLE_EQ(h.background->backgroundOpacity().toDouble(), dragged);
}

TEST(BackgroundPicker, CustomGradientKindTakesTheWellsGradientAndUndoesToNone)
{
    Harness h(false);
    h.background->setBackgroundType(1);
    endTurn();
    h.choose("backgroundType", 2);
    endTurn();
    h.choose("backgroundGradientType", 2);
    endTurn();
    EXPECT_EQ(h.background->gradient().value<Gradient>(),
              Gradient(QList<Gradient::Stop> {{Color::white(), 0.0}, {Color::black(), 1.0}}))
        << "a two-colour gradient is kept when the kind turns custom";

    // Without a gradient, a custom kind takes the well's (the spectrum), in
    // the same step.
    Harness fresh(false);
    fresh.background->setBackgroundGradientType(2);
    endTurn();
    EXPECT_FALSE(fresh.background->gradient().isValid());
    const int steps = fresh.undo()->undoCount();
    fresh.choose("backgroundType", 2);
    endTurn();
    EXPECT_EQ(fresh.background->gradient().value<Gradient>(), GPGradients::spectrumGradient());
    EXPECT_EQ(fresh.undo()->undoCount(), steps + 1);
    fresh.undo()->undo();
    EXPECT_FALSE(fresh.background->gradient().isValid()) << "the custom gradient undoes to none";
    EXPECT_EQ(fresh.background->backgroundType(), QVariant(0));
    fresh.undo()->redo();
    EXPECT_EQ(fresh.background->gradient().value<Gradient>(), GPGradients::spectrumGradient());

    // Leaving the custom kind drops the gradient; Undo brings it back.
    fresh.choose("backgroundType", 1);
    endTurn();
    EXPECT_FALSE(fresh.background->gradient().isValid());
    fresh.undo()->undo();
    EXPECT_EQ(fresh.background->backgroundType(), QVariant(2));
    EXPECT_EQ(fresh.background->gradient().value<Gradient>(), GPGradients::spectrumGradient());
}

TEST(BackgroundPicker, RepointingWritesNothingLetsGoOfThePanelAndChangesReachOnlyTheNewBackground)
{
    Harness h(false);
    ZVBackgroundView* a = h.background;
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    h.page->addPuttyView(element);
    ZVBackgroundView* b = element->backgroundView();
    a->setBackgroundType(1);
    b->setBackgroundType(2);
    endTurn();
    const int steps = h.undo()->undoCount();

    h.pickColour("backgroundColor", QColor(10, 200, 10));
    ASSERT_EQ(a->backgroundColor().value<Color>(), Color::fromQColor(QColor(10, 200, 10)));
    endTurn();
    h.picker.setRepresentedObject(b);
    endTurn();
    EXPECT_EQ(h.undo()->undoCount(), steps + 1) << "re-pointing records nothing";
    EXPECT_EQ(h.control<QComboBox>("backgroundType")->currentIndex(), 2);
    EXPECT_FALSE(h.control<GPColorWell>("backgroundColor")->isActive());
    EXPECT_EQ(ColorPanel::shared().client(), nullptr);
    ColorPanel::shared().dialog()->setCurrentColor(QColor(0, 0, 0));
    EXPECT_EQ(a->backgroundColor().value<Color>(), Color::fromQColor(QColor(10, 200, 10)));
    EXPECT_EQ(b->backgroundColor().value<Color>(), Color::white());

    h.type("backgroundOpacity", "40");
    EXPECT_DOUBLE_EQ(b->backgroundOpacity().toDouble(), 0.4);
    EXPECT_EQ(a->backgroundOpacity(), QVariant(1));

    h.picker.setRepresentedObject(nullptr);
    EXPECT_FALSE(h.view->isEnabled());
    EXPECT_FALSE(h.control<QComboBox>("backgroundType")->isEnabled());
}

TEST(BackgroundPicker, AfterDisableBackgroundColorPickerThePanelChangesNothing)
{
    Harness h(false);
    h.background->setBackgroundType(1);
    endTurn();
    QTest::mouseClick(h.control<GPColorWell>("backgroundColor"), Qt::LeftButton);
    ASSERT_TRUE(h.control<GPColorWell>("backgroundColor")->isActive());
    QObject anyone;
    NotificationCenter::defaultCenter().post(QStringLiteral("disableBackgroundColorPicker"), &anyone);
    EXPECT_FALSE(h.control<GPColorWell>("backgroundColor")->isActive());
    ColorPanel::shared().dialog()->setCurrentColor(QColor(255, 0, 0));
    EXPECT_EQ(h.background->backgroundColor().value<Color>(), Color::white());
}

TEST(BackgroundPicker, PictureOnAShapeFillIsFittedToItsWidthInOneStep)
{
    QTemporaryDir pictures;
    Harness h(false);
    ZVPuttyView* shape = ZVPuttyView::initWithVector(BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("square")).release();
    shape->setFrame(QRectF(0, 0, 280, 280));
    h.page->addPuttyView(shape);
    auto* content = qobject_cast<ZVVectorView*>(shape->contentView());
    ASSERT_NE(content, nullptr);
    content->setImageOrigin(QPointF(12, 7));
    content->setBackgroundOffset(QPointF(3, 4));
    ZVBackgroundView* fill = content->backgroundView();
    fill->setBackgroundType(3);
    fill->setBackgroundImageMode(3);
    h.picker.setRepresentedObject(fill);
    endTurn();
    EXPECT_TRUE(h.control<QPushButton>("puttyView.cropMode")->isVisible());

    const int steps = h.undo()->undoCount();
    h.prompter.answerOpenPanel({writePicture(pictures.path(), QSize(400, 100))});
    QTest::mouseClick(h.control<QPushButton>("chooseImage"), Qt::LeftButton);
    endTurn();
    EXPECT_EQ(fill->backgroundImageScale(), QVariant(0.5));
    EXPECT_EQ(fill->backgroundImageMode(), QVariant(0));
    EXPECT_EQ(fill->backgroundImage().size(), QSizeF(400, 100));
    EXPECT_EQ(content->imageOrigin(), QPointF(0, 0));
    EXPECT_EQ(content->backgroundOffset(), QPointF(0, 0));
    EXPECT_EQ(h.undo()->undoCount(), steps + 1);
    h.undo()->undo();
    EXPECT_TRUE(fill->backgroundImage().isNull());
    EXPECT_EQ(fill->backgroundImageScale(), QVariant(1.0));
    EXPECT_EQ(fill->backgroundImageMode(), QVariant(3));

    // A picture without width cannot be fitted: refused, and said why.
    Image flat(QImage(4, 4, QImage::Format_RGB32));
    flat.setSize(QSizeF(0, 4));
    h.picker.choosePicture(flat);
    ASSERT_EQ(h.prompter.alerts.size(), 1);
    EXPECT_TRUE(h.prompter.alerts[0].informativeText.contains(QStringLiteral("no width")));
    EXPECT_TRUE(fill->backgroundImage().isNull());

    // A file that is no picture: said, nothing changed.
    const QString bad = pictures.filePath(QStringLiteral("not.png"));
    ql::testing::writeFile(bad, "no picture here");
    h.prompter.answerOpenPanel({bad});
    QTest::mouseClick(h.control<QPushButton>("chooseImage"), Qt::LeftButton);
    ASSERT_EQ(h.prompter.alerts.size(), 2);
    EXPECT_EQ(h.prompter.alerts[1].messageText, QStringLiteral("The picture could not be opened."));

    QTest::mouseClick(h.control<QPushButton>("puttyView.cropMode"), Qt::LeftButton);
    EXPECT_TRUE(shape->cropMode()) << "Crop turns on the element's crop mode";
}

TEST(BackgroundPicker, WhatThePickerWroteIsSavedAndReadBack)
{
    QTemporaryDir folder;
    Harness h(false);
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    h.page->addPuttyView(element);
    h.background->setBackgroundGradientType(3);
    endTurn();
    h.choose("backgroundType", 2);
    h.type("backgroundOpacity", "60");
    h.picker.setRepresentedObject(element->backgroundView());
    h.choose("backgroundType", 1);
    h.pickColour("backgroundColor", QColor(0, 0, 255));
    endTurn();

    Result<QByteArray> data = h.document.dataOfType(kDesktopDocumentType);
    ASSERT_TRUE(data.ok());
    const QString path = folder.filePath(QStringLiteral("saved.qvleaf"));
    ql::testing::writeFile(path, *data);
    const QString listed = ql::testing::plistlib(
        path, QStringLiteral(
                  "(lambda o: sorted([(o[r['backgroundType'].data], round(o[r['backgroundOpacity'].data], 3),"
                  " o[r['backgroundGradientType'].data],"
                  " len(o[o[r['gradient'].data]['NSColors'].data]['NS.objects']) if r['gradient'].data else 0)"
                  " for r in o if isinstance(r, dict) and '$class' in r"
                  " and o[r['$class'].data]['$classname'] == 'ZVBackgroundView'"
                  " and o[r['backgroundType'].data] != 0]))(d['$objects'])"));
    EXPECT_EQ(listed, QStringLiteral("[(1, 1, 0, 0), (2, 0.6, 3, 6)]"));

    Document reopened;
    ASSERT_TRUE(reopened.readFromData(*data, kDesktopDocumentType).ok());
    ZVBackgroundView* page = reopened.contentPages().first()->backgroundView();
    EXPECT_EQ(page->backgroundType(), QVariant(2));
    EXPECT_EQ(page->gradient().value<Gradient>(), GPGradients::spectrumGradient());
}
