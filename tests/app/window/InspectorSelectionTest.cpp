// The inspector pane in the real window: whatever gesture makes the
// selection, the inspectors show it; every inspector keeps its rows at their
// natural height and scrolls; a text box's inspector shows what its text
// holds, however long, and at the caret once it is edited; each emphasis
// is kept and saved once.
#include "WindowTestSupport.h"

#include "app/document/Document.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"
#include "content/text/AttributedTextMapping.h"
#include "content/text/TextRuns.h"
#include "content/text/TextStorage.h"
#include "panels/ZVImageEditorViewController.h"
#include "panels/browsers/ZVTextContentViewController.h"
#include "panels/controls/TBTabBar.h"
#include "panels/imageedit/ImageAdjustPanel.h"
#include "panels/imageedit/ImageEditView.h"
#include "panels/inspectors/ZVEmptyViewController.h"
#include "panels/inspectors/ZVShapeSettingsController.h"
#include "panels/inspectors/ZVTextSettingsController.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/FontResolver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <qtestspontaneevent.h>

using namespace ql;

namespace {

ZVTextView* textOf(const ZVPuttyView* element)
{
    return qobject_cast<ZVTextView*>(element->contentView());
}

TextAttributes helvetica(double size, const QString& face = QStringLiteral("Helvetica"))
{
    return {{TextAttribute::font, QVariant::fromValue(Font(face, size))}};
}

TextAttributes boldUnderlined(double size)
{
    TextAttributes attributes = helvetica(size, QStringLiteral("Helvetica-Bold"));
    attributes.insert(TextAttribute::underline, 1);
    return attributes;
}

class InspectorPane : public ql::testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        zoomTo(1.0);
    }

    QPoint at(QPointF pagePoint) const { return window->scrollView()->mapFromPage(pagePoint).toPoint(); }
    QWidget* canvas() const { return window->scrollView()->viewport(); }

    void click(QPointF pagePoint, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(canvas(), button, {}, at(pagePoint));
        DeferredCalls::instance().flush();
    }

    void menu(const QString& path)
    {
        QAction* item = window->menus().itemAtPath(path);
        ASSERT_NE(item, nullptr) << path.toStdString();
        ASSERT_TRUE(window->menus().validateMenuItem(item)) << path.toStdString();
        item->trigger();
        DeferredCalls::instance().flush();
    }

    ViewController* shown() const { return window->controllers().inspectorViewController.data(); }
    int tab() const { return int(window->outlets().inspectorTabs->selectedIndex()); }

    // A title inserted from the text browser, the page's only element.
    ZVPuttyView* insertTitle()
    {
        ZVTextContentViewController* browser = window->controllers().textContentVC;
        browser->stylePicker()->setCurrentIndex(1);
        QTest::mouseClick(browser->insertButton(), Qt::LeftButton);
        QTest::qWait(30);
        DeferredCalls::instance().flush();
        EXPECT_EQ(page->puttyViews().size(), 1);
        return page->puttyViews().isEmpty() ? nullptr : page->puttyViews().first();
    }

    // The box opened for editing by a double click.
    ZVPuttyView* edit(ZVPuttyView* box)
    {
        if (!box)
            return nullptr;
        const QPoint middle = at(box->contentFrame().center());
        QTest::mouseClick(canvas(), Qt::LeftButton, {}, middle);
        QTest::mouseDClick(canvas(), Qt::LeftButton, {}, middle);
        QTest::mouseRelease(canvas(), Qt::LeftButton, {}, middle);
        DeferredCalls::instance().flush();
        EXPECT_TRUE(box->contentView()->editMode());
        return box;
    }
    ZVPuttyView* editTitle() { return edit(insertTitle()); }

    // A text box of the page holding `text`.
    ZVPuttyView* addText(const AttributedString& text)
    {
        ZVPuttyView* box = add(ZVPuttyView::initWithText(), QRectF(100, 100, 400, 300));
        textOf(box)->setAttributedString(text);
        return box;
    }

    // The end of the user's action: its undo steps are one group.
    static void settle()
    {
        QCoreApplication::processEvents();
        DeferredCalls::instance().flush();
    }

    template <class Control>
    Control* inspected(const char* keyPath) const
    {
        return window->controllers().textSettingsController->view()->findChild<Control*>(QLatin1String(keyPath));
    }

    QToolButton* emphasisButton(const char* name) const
    {
        for (QToolButton* button : window->controllers().textSettingsController->view()->findChildren<QToolButton*>(
                 QStringLiteral("contentView.currentEmphasis"))) {
            if (button->accessibleName() == QLatin1String(name))
                return button;
        }
        return nullptr;
    }
};

std::unique_ptr<ZVPuttyView> shape()
{
    return ZVPuttyView::initWithVector(BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("square"));
}

} // namespace

TEST_F(InspectorPane, EveryGestureThatSelectsShowsTheSelectionInItsInspector)
{
    ZVPuttyView* star = add(shape(), QRectF(60, 60, 240, 240));
    ZVPuttyView* box = add(ZVPuttyView::initWithText(), QRectF(300, 300, 240, 240));
    auto* shapes = window->controllers().shapeSettingsController;
    auto* texts = window->controllers().textSettingsController;

    // A right click on the shape after a click on the empty page, the menu
    // dismissed with Escape.
    click(QPointF(500, 120));
    QTest::mousePress(canvas(), Qt::RightButton, {}, at(QPointF(180, 180)));
    QTest::mouseRelease(canvas(), Qt::RightButton, {}, at(QPointF(180, 180)));
    if (QWidget* popup = QApplication::activePopupWidget())
        QTest::keyClick(popup, Qt::Key_Escape);
    DeferredCalls::instance().flush();
    ASSERT_TRUE(star->isActive());
    EXPECT_EQ(page->focusedPuttyView(), star);
    EXPECT_EQ(tab(), 2) << "the element's kind's tab";
    EXPECT_EQ(shown(), static_cast<ViewController*>(shapes));
    EXPECT_EQ(shapes->element(), star);
    EXPECT_TRUE(shapes->view()->isEnabled());

    // A rubber band around the text box alone.
    click(QPointF(560, 120));
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(QPointF(560, 320)));
    QTest::mouseMove(canvas(), at(QPointF(400, 420)));
    QTest::mouseMove(canvas(), at(QPointF(320, 560)));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(QPointF(320, 560)));
    DeferredCalls::instance().flush();
    ASSERT_TRUE(box->isActive() && !star->isActive());
    EXPECT_EQ(shown(), static_cast<ViewController*>(texts));
    EXPECT_EQ(texts->element(), box);

    // Select All: two elements, no single one to show.
    menu(QStringLiteral("Edit/Select All"));
    EXPECT_EQ(page->focusedPuttyView(), nullptr);
    EXPECT_EQ(shown(), static_cast<ViewController*>(window->controllers().emptyViewController));

    // A click from the page's tab turns the pane to the element's inspector.
    click(QPointF(560, 120));
    window->changeInspectorView(0);
    click(QPointF(180, 180));
    EXPECT_EQ(tab(), 2);
    EXPECT_EQ(shapes->element(), star);

    // A paste leaves the pasted copy highlighted, not selected: the inspector
    // lets go of the shape it showed.
    menu(QStringLiteral("Edit/Copy"));
    menu(QStringLiteral("Edit/Paste"));
    ASSERT_EQ(page->puttyViews().size(), 3);
    EXPECT_TRUE(page->selectedViews().isEmpty());
    EXPECT_EQ(page->focusedPuttyView(), nullptr);
    EXPECT_EQ(shapes->element(), nullptr);

    // Undo takes the paste back: nothing is selected, nothing shown.
    menu(QStringLiteral("Edit/Undo"));
    EXPECT_EQ(page->puttyViews().size(), 2);
    EXPECT_EQ(shapes->element(), nullptr);
}

TEST_F(InspectorPane, EveryInspectorKeepsItsRowsAtTheirNaturalHeight)
{
    ASSERT_EQ(window->height(), 1000);
    ZVPuttyView* picture = add(ZVPuttyView::initWithImage(Image(QImage(40, 30, QImage::Format_ARGB32))),
                               QRectF(0, 0, 200, 200));
    ZVPuttyView* box = add(ZVPuttyView::initWithText(), QRectF(200, 0, 200, 200));
    ZVPuttyView* square = add(shape(), QRectF(0, 200, 200, 200));
    ZVPuttyView* deep = add(ZVPuttyView::initWith3DText(QStringLiteral("Deep")), QRectF(200, 200, 200, 200));
    auto* area = window->outlets().inspectorView.data();

    const auto check = [&](int index, ZVPuttyView* selected, const char* name) -> bool {
        page->clearPuttyViews();
        if (selected)
            selected->setIsActive(true);
        window->changeInspectorView(index);
        QCoreApplication::processEvents();
        QWidget* view = area->widget();
        if (!view) {
            ADD_FAILURE() << name << ": no inspector";
            return false;
        }
        int controls = 0;
        for (QWidget* control : view->findChildren<QWidget*>()) {
            const bool counted = qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control)
                || qobject_cast<QAbstractButton*>(control) || qobject_cast<QSlider*>(control)
                || qobject_cast<QLabel*>(control);
            if (!counted || !control->isVisibleTo(view))
                continue;
            ++controls;
            EXPECT_GE(control->height(), control->sizeHint().height())
                << name << ": " << control->metaObject()->className() << " " << control->objectName().toStdString();
        }
        EXPECT_GT(controls, 0) << name;
        EXPECT_GE(view->height(), area->viewport()->height()) << name << " fills the pane";
        return view->height() > area->viewport()->height();
    };
    check(0, nullptr, "page");
    EXPECT_TRUE(check(1, picture, "element properties")) << "its rows reach below the pane: it scrolls";
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
    check(2, picture, "image");
    check(2, box, "text");
    check(2, square, "shape");
    check(2, deep, "3D text");
    check(2, nullptr, "empty");
}

TEST_F(InspectorPane, ANewTitleBoxShowsItsTextSize)
{
    ZVPuttyView* box = insertTitle();
    ASSERT_NE(box, nullptr);
    auto* text = qobject_cast<ZVTextView*>(box->contentView());
    ASSERT_NE(text, nullptr);
    const QVariant font = ql::text::attributesAt(*text->textStorage()->document(), 0).value(TextAttribute::font);
    ASSERT_EQ(font.value<Font>().pointSize(), 32.0) << "the sample's title style";

    EXPECT_EQ(tab(), 2);
    EXPECT_EQ(window->controllers().textSettingsController->element(), box);
    auto* size = window->controllers().textSettingsController->view()->findChild<QLineEdit*>(
        QStringLiteral("contentView.currentFontSize"));
    ASSERT_NE(size, nullptr);
    EXPECT_TRUE(size->text().startsWith(QStringLiteral("32"))) << size->text().toStdString();
}

TEST_F(InspectorPane, TheTypefaceBoxFollowsTheEmphasisOfTheSelectedText)
{
    // A title, its text being edited and all of it selected.
    ASSERT_NE(editTitle(), nullptr);
    QTest::keyClick(canvas(), Qt::Key_A, Qt::ControlModifier);
    DeferredCalls::instance().flush();

    QComboBox* faces = inspected<QComboBox>("contentView.currentFontTypeFaceIndex");
    QLineEdit* size = inspected<QLineEdit>("contentView.currentFontSize");
    QToolButton* bold = emphasisButton("Bold");
    QToolButton* italic = emphasisButton("Italic");
    ASSERT_TRUE(faces && size && bold && italic);
    // Each check ends the user's action: its undo steps are one group.
    const auto shows = [&](const char* face, const char* step) {
        QCoreApplication::processEvents();
        DeferredCalls::instance().flush();
        EXPECT_EQ(faces->currentText(), QLatin1String(face)) << step;
        EXPECT_TRUE(size->text().startsWith(QStringLiteral("32"))) << step << ": " << size->text().toStdString();
    };
    shows("Regular", "as inserted");

    // The B button clicked, the I button pressed from the keyboard: the box
    // names the face the text now has.
    QTest::mouseClick(bold, Qt::LeftButton);
    shows("Bold", "bold");
    EXPECT_TRUE(bold->isChecked());
    italic->setFocus();
    QTest::keyClick(italic, Qt::Key_Space);
    shows("Bold Italic", "bold and italic");
    EXPECT_TRUE(italic->isChecked());

    // Undo takes the face back with the text.
    menu(QStringLiteral("Edit/Undo"));
    shows("Bold", "italic undone");
    menu(QStringLiteral("Edit/Undo"));
    shows("Regular", "bold undone");
    EXPECT_FALSE(bold->isChecked());
    menu(QStringLiteral("Edit/Redo"));
    shows("Bold", "bold redone");
    EXPECT_TRUE(bold->isChecked());

    // A face chosen in the box is an emphasis too.
    const int regular = faces->findText(QStringLiteral("Regular"));
    faces->setCurrentIndex(regular);
    emit faces->activated(regular);
    shows("Regular", "regular chosen");
    EXPECT_FALSE(bold->isChecked());
}

TEST_F(InspectorPane, TheTypefaceBoxFollowsBoldPressedAtACaret)
{
    // The caret inside the title's text, nothing selected.
    ZVPuttyView* box = editTitle();
    ASSERT_NE(box, nullptr);
    auto* text = qobject_cast<ZVTextView*>(box->contentView());
    ASSERT_NE(text, nullptr);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(canvas(), Qt::Key_Right);
    DeferredCalls::instance().flush();
    ASSERT_EQ(text->selectedRange(), (ZVTextView::Range {3, 0}));

    QComboBox* faces = inspected<QComboBox>("contentView.currentFontTypeFaceIndex");
    QToolButton* bold = emphasisButton("Bold");
    ASSERT_TRUE(faces && bold);
    const auto shows = [&](const char* face, bool checked, const char* step) {
        QCoreApplication::processEvents();
        DeferredCalls::instance().flush();
        EXPECT_EQ(faces->currentText(), QLatin1String(face)) << step;
        EXPECT_EQ(bold->isChecked(), checked) << step;
    };
    shows("Regular", false, "caret placed");

    QTest::mouseClick(bold, Qt::LeftButton);
    shows("Bold", true, "bold at the caret");
    QTest::keyClick(canvas(), Qt::Key_X);
    shows("Bold", true, "typed");
    const QVariant typed = ql::text::attributesAt(*text->textStorage()->document(), 3).value(TextAttribute::font);
    EXPECT_EQ(FontResolver::traits(typed.value<Font>()) & BoldTrait, BoldTrait);

    // Undoing the typing and then the B leaves the caret in the plain face.
    menu(QStringLiteral("Edit/Undo"));
    EXPECT_EQ(faces->currentText() == QLatin1String("Bold"), bold->isChecked()) << "typing undone";
    menu(QStringLiteral("Edit/Undo"));
    shows("Regular", false, "bold undone");
}

namespace {

// A notch of the wheel, as the window system delivers it: to the widget
// under the pointer, handed on to its parents while none takes it.
void turnWheel(QWidget* over, int notches = 1)
{
    QWidget* window = over->window();
    const QPoint point = over->mapTo(window, over->rect().center());
    QWidget* under = window->childAt(point);
    ASSERT_NE(under, nullptr);
    QWheelEvent wheel(under->mapFrom(window, point), window->mapToGlobal(point), QPoint(), QPoint(0, -120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(under, &wheel);
    QCoreApplication::processEvents();
    DeferredCalls::instance().flush();
}

} // namespace

TEST_F(InspectorPane, AWheelPassingOverAPopUpScrollsThePaneAndChangesNothing)
{
    ZVPuttyView* box = insertTitle();
    ASSERT_NE(box, nullptr);
    auto* text = qobject_cast<ZVTextView*>(box->contentView());
    ASSERT_NE(text, nullptr);
    const auto font = [&] {
        return ql::text::attributesAt(*text->textStorage()->document(), 0).value(TextAttribute::font).value<Font>();
    };
    const Font before = font();
    // A pane short enough to scroll, the Family pop-up in view at its top.
    window->resize(1400, 420);
    QCoreApplication::processEvents();
    auto* area = window->outlets().inspectorView.data();
    QComboBox* families = inspected<QComboBox>("contentView.currentFontFamilyName");
    ASSERT_NE(families, nullptr);
    area->verticalScrollBar()->setValue(families->mapTo(area->widget(), QPoint()).y());
    QCoreApplication::processEvents();
    ASSERT_TRUE(area->viewport()->rect().contains(families->mapTo(area->viewport(), families->rect().center())));
    ASSERT_GT(area->verticalScrollBar()->maximum(), area->verticalScrollBar()->value()) << "the pane can scroll";
    const QString family = families->currentText();
    const int steps = document->undoManager()->undoCount();
    const int scrolled = area->verticalScrollBar()->value();

    turnWheel(families);
    EXPECT_GT(area->verticalScrollBar()->value(), scrolled) << "the pane scrolled";
    EXPECT_EQ(families->currentText(), family);
    EXPECT_FALSE(families->hasFocus());
    EXPECT_EQ(font(), before);
    EXPECT_EQ(document->undoManager()->undoCount(), steps);

    // Clicked (its list closed again), the pop-up takes the wheel.
    area->ensureWidgetVisible(families);
    QTest::mouseClick(families, Qt::LeftButton);
    if (QWidget* list = QApplication::activePopupWidget())
        QTest::keyClick(list, Qt::Key_Escape);
    ASSERT_TRUE(families->hasFocus());
    turnWheel(families);
    EXPECT_NE(families->currentText(), family);
    EXPECT_NE(font(), before) << "the box takes the family chosen";
    EXPECT_EQ(document->undoManager()->undoCount(), steps + 1);
}

TEST_F(InspectorPane, TheImageEditorShowsWholeOverItsWindow)
{
    QImage red(80, 60, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ZVPuttyView* picture = add(ZVPuttyView::initWithImage(Image(red)), QRectF(0, 0, 200, 200));
    QWidget* panel = window->outlets().editImagePanel;
    ImageEditView* editor = window->controllers().imageEditorViewController->imageView();
    // What the panel holds the moment it first shows.
    bool pictureWhenShown = false;
    QSize sizeWhenShown;
    struct ShowWatch : QObject {
        std::function<void()> onShow;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Show)
                onShow();
            return false;
        }
    } watch;
    watch.onShow = [&] {
        pictureWhenShown = editor->hasImage();
        sizeWhenShown = panel->size();
    };
    panel->installEventFilter(&watch);
    window->editImage(picture);
    panel->removeEventFilter(&watch);

    ASSERT_TRUE(panel->isVisible());
    EXPECT_TRUE(pictureWhenShown) << "the picture is in place before the panel shows";
    EXPECT_EQ(sizeWhenShown, QSize(420, 420));
    EXPECT_TRUE(window->frameGeometry().contains(panel->geometry().center())) << "over its window, not at a corner";

    // The adjustments keep to the screen's bottom-left corner, clear of the
    // menus, their frame's bottom on the screen's; so do they when opened again.
    QWidget* adjust = ImageAdjustPanel::sharedImageEditPanel();
    const QRect screen = window->screen()->availableGeometry();
    for (int opening = 0; opening < 2; ++opening) {
        window->controllers().imageEditorViewController->editProperties();
        ASSERT_TRUE(adjust->isVisible());
        EXPECT_EQ(adjust->frameGeometry().bottomLeft(), screen.bottomLeft()) << "opening " << opening;
        adjust->close();
    }
    ASSERT_NE(adjust->frameGeometry(), adjust->geometry()) << "the offscreen platform frames its windows";

    // Every panel the window placed opens on its screen, frame included.
    const DocumentWindow::Outlets& o = window->outlets();
    for (QWidget* placed : {o.layoutLayerPanel.data(), o.pasteboardPanel.data(), o.editImagePanel.data(),
                            o.loadingPanel.data(), o.downloadingPanel.data()}) {
        placed->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(placed));
        EXPECT_TRUE(screen.contains(placed->frameGeometry())) << placed->objectName().toStdString();
    }
}

TEST_F(InspectorPane, ALongTextShowsItsOwnSizeAndKeepsItThroughAFamilyChosen)
{
    // More than 200,000 characters of Helvetica 14 in paragraphs; the box's
    // own settings say 12, as a new box's do.
    const QString paragraph = QStringLiteral("a long text read back in full ").repeated(20) + QLatin1Char('\n');
    ZVPuttyView* box = addText(AttributedString(paragraph.repeated(350), helvetica(14)));
    ZVTextView* text = textOf(box);
    ASSERT_GT(text->textLength(), 200000);
    click(box->contentFrame().center());
    ASSERT_TRUE(box->isActive());
    QLineEdit* size = inspected<QLineEdit>("contentView.currentFontSize");
    auto* families = inspected<QComboBox>("contentView.currentFontFamilyName");
    ASSERT_TRUE(size && families);
    EXPECT_TRUE(size->text().startsWith(QStringLiteral("14"))) << size->text().toStdString();

    // A family chosen keeps the size; Undo, Redo, saving and reopening give
    // back what each step held.
    const AttributedString before = text->attributedString();
    const QString serif = FontResolver::familyOf(QStringLiteral("Times-Roman"));
    const int index = families->findText(serif);
    ASSERT_GE(index, 0);
    families->setCurrentIndex(index);
    emit families->activated(index);
    settle();
    const QList<ql::text::ValueRun> fonts =
        ql::text::valueRuns(*text->textStorage()->document(), TextAttribute::font, 0, text->textLength());
    ASSERT_EQ(fonts.size(), 1);
    EXPECT_EQ(fonts.first().value.value<Font>().pointSize(), 14.0);
    EXPECT_EQ(FontResolver::familyOf(fonts.first().value.value<Font>().postScriptName()), serif);
    const AttributedString after = text->attributedString();
    menu(QStringLiteral("Edit/Undo"));
    EXPECT_TRUE(text->attributedString() == before);
    menu(QStringLiteral("Edit/Redo"));
    EXPECT_TRUE(text->attributedString() == after);
    Document reopened;
    ASSERT_TRUE(reopened.readFromData(document->dataOfType(kDesktopDocumentType).value(), kDesktopDocumentType));
    EXPECT_TRUE(textOf(reopened.pages().first()->puttyViews().first())->attributedString() == after);
}

TEST_F(InspectorPane, EachEmphasisIsKeptAndSavedOnceHoweverManyRunsHaveIt)
{
    // A chain of two boxes on two pages whose text takes turns in 40 runs:
    // plain, then bold and underlined.
    AttributedString runs;
    for (int i = 0; i < 40; ++i)
        runs.append(QStringLiteral("run %1 ").arg(i), i % 2 ? boldUnderlined(14) : helvetica(14));
    ZVPuttyView* first = addText(runs);
    document->contentPages().append(document->newPage());
    document->updatePageCounts();
    ZVPuttyView* second = first->createLinkedTextViewAtPage(1);
    ASSERT_NE(second, nullptr);

    // A click places the caret in the first box: the second, not edited,
    // reads back all of the text.
    edit(first);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, at(first->contentFrame().topLeft() + QPointF(60, 8)));
    settle();
    ASSERT_GT(textOf(first)->selectedRange().location, 0);
    EXPECT_EQ(textOf(second)->currentEmphasis(), (QVariantList {ZVTextView::BoldEmphasis, ZVTextView::UnderlineEmphasis}));

    // Every box stores each code once.
    const QString file = path(QStringLiteral("runs.qvleaf"));
    ql::testing::writeFile(file, document->dataOfType(kDesktopDocumentType).value());
    const QString lists = QStringLiteral(
        "[[d['$objects'][u.data] for u in d['$objects'][r['currentEmphasis'].data]['NS.objects']] "
        "for r in d['$objects'] if isinstance(r, dict) and 'currentEmphasis' in r]");
    EXPECT_EQ(ql::testing::plistlib(file, QStringLiteral("[len(set(l)) == len(l) for l in %1]").arg(lists)),
              QStringLiteral("[True, True]"));

    // A file whose lists repeat their codes, as older ones do, reads each once.
    ql::testing::editWithPlistlib(file, QStringLiteral(
        "for r in d['$objects']:\n"
        "    if isinstance(r, dict) and 'currentEmphasis' in r:\n"
        "        a = d['$objects'][r['currentEmphasis'].data]\n"
        "        a['NS.objects'] = a['NS.objects'] * 20"));
    const Result<Document*> older = controller.openDocumentWithContentsOfFile(file);
    ASSERT_TRUE(older.ok());
    const ZVTextView* read = textOf((*older)->contentPages().at(1)->puttyViews().first());
    EXPECT_EQ(read->currentEmphasis(), (QVariantList {ZVTextView::BoldEmphasis, ZVTextView::UnderlineEmphasis}));
}

TEST_F(InspectorPane, EnteringEditingShowsTheEmphasisAtTheCaret)
{
    AttributedString mixed(QStringLiteral("plain "), helvetica(14));
    mixed.append(QStringLiteral("bold and underlined"), boldUnderlined(14));
    ZVPuttyView* box = addText(mixed);
    click(box->contentFrame().center());
    QToolButton* bold = emphasisButton("Bold");
    QToolButton* underline = emphasisButton("Underline");
    ASSERT_TRUE(bold && underline);
    EXPECT_TRUE(bold->isChecked() && underline->isChecked()) << "the whole text's emphasis";

    // The double click puts the caret at the start, in plain text.
    edit(box);
    ASSERT_EQ(textOf(box)->selectedRange(), (ZVTextView::Range {0, 0}));
    EXPECT_FALSE(bold->isChecked());
    EXPECT_FALSE(underline->isChecked());
    QTest::keyClick(canvas(), Qt::Key_X);
    settle();
    EXPECT_EQ(ql::text::attributesAt(*textOf(box)->textStorage()->document(), 0), helvetica(14)) << "typed as shown";
}
