#include "PanelTestSupport.h"

#include "panels/gradients/ColorPanel.h"
#include "panels/gradients/GPColorWell.h"
#include "panels/gradients/GPGradientPickerLinear.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <QColorDialog>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

Gradient threeStops()
{
    return Gradient(QList<Gradient::Stop> {{Color::white(), 0.0}, {Color::calibratedWhite(0.5), 0.5}, {Color::black(), 1.0}});
}

// A Qt point of the 200 × 135 control for a point of its own y-up geometry.
QPointF qt(double x, double yUp)
{
    return QPointF(x, 135.0 - yUp);
}

struct PickerWindow {
    PickerWindow()
    {
        picker->resize(200, 135);
        picker->setTarget(&target);
        picker->setAction("pickerChanged");
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    ~PickerWindow() { ColorPanel::shared().close(); }

    QWidget window;
    GPGradientPickerLinear* picker = new GPGradientPickerLinear(&window);
    ActionTarget target;
};

} // namespace

TEST(GradientPicker, GeometryIsMeasuredUpwardsFromTheBottom)
{
    GPGradientPickerLinear picker;
    picker.resize(200, 135);
    EXPECT_EQ(picker.gradientRect(), QRectF(40.5, 21.5, 131, 100));
    EXPECT_EQ(picker.rectForStopAtLocation(0.5), QRectF(24.5, 65.5, 12, 12));
    EXPECT_DOUBLE_EQ(picker.locationForPoint(picker.toControl(QPointF(100, 63))), 0.5);
    picker.resize(60, 135);
    EXPECT_EQ(picker.gradientRect(), QRectF(16.5, 21.5, 15, 100)) << "never narrower than 15";

    EXPECT_TRUE(picker.doDrawTickMarks());
    EXPECT_EQ(picker.numberOfTickMarks(), 5);
    EXPECT_EQ(picker.activeColorStop(), GPGradientPicker::kNoStop);
    GPGradientPicker base;
    EXPECT_FALSE(base.doDrawTickMarks()) << "only the linear control turns them on";
    EXPECT_EQ(base.gradientValue().stops().size(), 2);
}

TEST(GradientPicker, GrabShowsTickRowsAndACheckerboardUnderANarrowBar)
{
    GPGradientPickerLinear picker;
    picker.resize(200, 135);
    const QImage ticked = picker.grab().toImage();
    picker.setDoDrawTickMarks(false);
    const QImage plain = picker.grab().toImage();
    ASSERT_EQ(ticked.size(), QSize(200, 135));
    QMap<int, QList<int>> changed;
    for (int y = 0; y < ticked.height(); ++y)
        for (int x = 0; x < ticked.width(); ++x)
            if (ticked.pixel(x, y) != plain.pixel(x, y))
                changed[y].append(x);
    EXPECT_EQ(changed.keys(), (QList<int> {13, 38, 63, 88, 113}));
    for (int row : changed.keys()) {
        SCOPED_TRACE(row);
        EXPECT_GE(changed[row].first(), 21);
        EXPECT_LE(changed[row].last(), 32);
    }
    EXPECT_EQ(changed[88], (QList<int> {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32})) << "x 21 to 33";

    // The checkerboard covers a bar far from the control's left edge.
    GPGradientPickerLinear narrow;
    narrow.resize(84, 135);
    narrow.setGradientValue(Gradient(QList<Gradient::Stop> {{Color::clear(), 0}, {Color::clear(), 1}}));
    const QImage grab = narrow.grab().toImage();
    const QRect bar(41, 135 - 121, 14, 99);
    QSet<QRgb> colours;
    for (int y = bar.top(); y <= bar.bottom(); ++y)
        for (int x = bar.left(); x <= bar.right(); ++x)
            colours.insert(grab.pixel(x, y));
    EXPECT_GE(colours.size(), 2) << "white and grey squares show through a clear gradient";
}

TEST(GradientPicker, ClickInTheBarAddsAnActiveWhiteStopAndFiresOnce)
{
    PickerWindow w;
    QTest::mouseClick(w.picker, Qt::LeftButton, {}, QPoint(100, 63));
    const auto& stops = w.picker->gradientValue().stops();
    ASSERT_EQ(stops.size(), 3);
    EXPECT_EQ(stops[1].color, Color::white());
    EXPECT_DOUBLE_EQ(stops[1].location, 0.5);
    EXPECT_EQ(w.picker->activeColorStop(), 1);
    EXPECT_EQ(w.target.calls, 1);
    EXPECT_EQ(w.target.last, w.picker);

    // A fractional press on the bar's lowest half point stands for a location
    // below 0: the new stop sits at 0, after the first.
    w.picker->setGradientValue(Gradient(QList<Gradient::Stop> {{Color::black(), 0}, {Color::black(), 1}}));
    press(w.picker, QPointF(100, 113.4));
    release(w.picker, QPointF(100, 113.4));
    const auto& after = w.picker->gradientValue().stops();
    ASSERT_EQ(after.size(), 3);
    EXPECT_EQ(after[1].location, 0.0);
    EXPECT_EQ(after[1].color, Color::white());
    EXPECT_EQ(w.picker->activeColorStop(), 1);

    // The gradient already held changes nothing; none is white to black.
    const int calls = w.target.calls;
    w.picker->setGradientValue(Gradient(after));
    EXPECT_EQ(w.target.calls, calls);
    w.picker->setGradientValue(Gradient());
    EXPECT_EQ(w.picker->gradientValue().stops().size(), 2);
    EXPECT_EQ(w.target.calls, calls) << "no action for none";

    w.picker->setIsEnabled(false);
    QTest::mouseClick(w.picker, Qt::LeftButton, {}, QPoint(100, 63));
    EXPECT_EQ(w.picker->gradientValue().stops().size(), 2) << "a disabled control ignores clicks";
}

TEST(GradientPicker, MiddleStopDragsAndGoesWhenDraggedPastANeighbour)
{
    PickerWindow w;
    w.picker->setGradientValue(threeStops());
    const QPointF handle = qt(30.5, 71.5);

    press(w.picker, handle);
    EXPECT_EQ(w.picker->activeColorStop(), 1);
    const int calls = w.target.calls;
    drag(w.picker, handle);
    EXPECT_EQ(w.picker->mouseDragState(), 1);
    EXPECT_EQ(w.target.calls, calls) << "the first drag only starts the drag";
    drag(w.picker, qt(30.5, 80));
    EXPECT_NEAR(w.picker->gradientValue().stops()[1].location, 0.58, 1e-12);
    EXPECT_EQ(w.target.calls, calls + 1);

    drag(w.picker, qt(30.5, 126));
    EXPECT_TRUE(w.picker->removeActiveColorStop());
    EXPECT_EQ(w.picker->cursor().shape(), Qt::BitmapCursor) << "our disappearing-item cursor";
    EXPECT_EQ(w.picker->gradientValue().stops().size(), 3) << "unchanged until the release";
    release(w.picker, qt(30.5, 126));
    EXPECT_EQ(w.picker->gradientValue().stops().size(), 2);
    EXPECT_EQ(w.picker->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(w.picker->mouseDragState(), 0);

    // Back between the neighbours before the release: kept.
    w.picker->setGradientValue(threeStops());
    press(w.picker, handle);
    drag(w.picker, handle);
    drag(w.picker, qt(30.5, 10));
    EXPECT_TRUE(w.picker->removeActiveColorStop());
    drag(w.picker, qt(30.5, 60));
    EXPECT_FALSE(w.picker->removeActiveColorStop());
    release(w.picker, qt(30.5, 60));
    ASSERT_EQ(w.picker->gradientValue().stops().size(), 3);
    EXPECT_NEAR(w.picker->gradientValue().stops()[1].location, 0.38, 1e-12);

    // The ends never move.
    const Gradient before = w.picker->gradientValue();
    for (double end : {0.0, 1.0}) {
        const QPointF endHandle = qt(30.5, 21.5 + 100 * end);
        press(w.picker, endHandle);
        drag(w.picker, endHandle);
        drag(w.picker, qt(30.5, 70));
        release(w.picker, qt(30.5, 70));
    }
    EXPECT_EQ(w.picker->gradientValue(), before);
}

TEST(GradientPicker, SingleClickOpensTheColourPanelAndADoubleClickOnlySelects)
{
    PickerWindow w;
    w.picker->setGradientValue(threeStops());
    // The second press of a double click (click count 2).
    sendMouse(w.picker, QEvent::MouseButtonDblClick, qt(30.5, 71.5));
    EXPECT_EQ(w.picker->activeColorStop(), 1);
    EXPECT_FALSE(ColorPanel::shared().isVisible());
    EXPECT_EQ(ColorPanel::shared().client(), nullptr);

    press(w.picker, qt(30.5, 71.5));
    release(w.picker, qt(30.5, 71.5));
    EXPECT_TRUE(ColorPanel::shared().isVisible());
    EXPECT_EQ(ColorPanel::shared().client(), w.picker);
    EXPECT_NEAR(ColorPanel::shared().color().redComponent(), 0.5, 1.0 / 255) << "the panel shows the stop's colour";

    // A press that hits nothing leaves no stop active.
    press(w.picker, QPointF(5, 5));
    EXPECT_EQ(w.picker->activeColorStop(), GPGradientPicker::kNoStop);
}

TEST(GradientPicker, PanelColourRecoloursTheActiveStopOnceAndAWellTakesThePanelAway)
{
    PickerWindow w;
    auto* well = new GPColorWell(&w.window);
    well->move(0, 140);
    well->show();
    w.picker->setGradientValue(threeStops());
    press(w.picker, qt(30.5, 71.5));
    release(w.picker, qt(30.5, 71.5));
    const int calls = w.target.calls;
    ColorPanel::shared().dialog()->setCurrentColor(QColor(255, 0, 0));
    EXPECT_EQ(w.picker->gradientValue().stops()[1].color, Color::fromQColor(QColor(255, 0, 0)));
    EXPECT_EQ(w.target.calls, calls + 1);

    QTest::mouseClick(well, Qt::LeftButton);
    EXPECT_TRUE(well->isActive());
    EXPECT_EQ(w.picker->activeColorStop(), GPGradientPicker::kNoStop) << "a well's activation clears the stop";
    ColorPanel::shared().dialog()->setCurrentColor(QColor(0, 0, 255));
    EXPECT_EQ(well->color(), Color::fromQColor(QColor(0, 0, 255)));
    EXPECT_EQ(w.picker->gradientValue().stops()[1].color, Color::fromQColor(QColor(255, 0, 0)));

    // Clicking a stop again takes the panel from the well.
    press(w.picker, qt(30.5, 71.5));
    release(w.picker, qt(30.5, 71.5));
    EXPECT_FALSE(well->isActive());

    // A new gradient without the active stop: nothing points past its end.
    w.picker->setActiveColorStop(2);
    w.picker->setGradientValue(Gradient(QList<Gradient::Stop> {{Color::white(), 0}, {Color::black(), 1}}));
    EXPECT_EQ(w.picker->activeColorStop(), GPGradientPicker::kNoStop);
    ColorPanel::shared().dialog()->setCurrentColor(QColor(0, 255, 0));
    EXPECT_EQ(w.picker->gradientValue().stops().size(), 2);
}

TEST(GradientPicker, TabStepsThroughTheStopsAndLeavesAtTheEnds)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QLineEdit(&window);
    auto* picker = new GPGradientPickerLinear(&window);
    auto* after = new QLineEdit(&window);
    picker->setFixedSize(200, 135);
    picker->setGradientValue(threeStops());
    layout->addWidget(before);
    layout->addWidget(picker);
    layout->addWidget(after);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    before->setFocus(Qt::OtherFocusReason);

    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(picker->hasFocus());
    EXPECT_EQ(picker->activeColorStop(), 0) << "focus makes stop 0 active";
    QTest::keyClick(picker, Qt::Key_Tab);
    EXPECT_EQ(picker->activeColorStop(), 1);
    QTest::keyClick(picker, Qt::Key_Tab);
    EXPECT_EQ(picker->activeColorStop(), 2);
    QTest::keyClick(picker, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus()) << "Tab on the last stop leaves";
    EXPECT_EQ(picker->activeColorStop(), GPGradientPicker::kNoStop);

    picker->setFocus(Qt::OtherFocusReason);
    picker->setActiveColorStop(2);
    QTest::keyClick(picker, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(picker->activeColorStop(), 1);
    QTest::keyClick(picker, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(picker->activeColorStop(), 0);
    QTest::keyClick(picker, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(before->hasFocus()) << "back-tab on the first stop leaves";

    picker->setIsEnabled(false);
    QTest::keyClick(before, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus()) << "a disabled control takes no focus";
}

TEST(GradientPicker, ArchiveRoundTripKeepsGradientAndTickMarks)
{
    GPGradientPickerLinear picker;
    picker.setGradientValue(threeStops());
    picker.setDoDrawTickMarks(false);
    picker.setNumberOfTickMarks(7);
    picker.setActiveColorStop(1);
    KeyedArchiver archiver;
    archiver.encodeObject(QStringLiteral("root"), &picker);
    Result<QByteArray> data = archiver.finish();
    ASSERT_TRUE(data.ok());

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("picker.plist"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(*data);
    file.close();
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import plistlib,sys\n"
                                 "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
                                 "o = d['$objects']\n"
                                 "r = o[d['$top']['root'].data]\n"
                                 "c = o[r['$class'].data]\n"
                                 "g = o[r['gradientValue'].data]\n"
                                 "print(c['$classes'][:2], r['doDrawTickMarks'], r['numberOfTickMarks'],"
                                 " len(o[g['NSLocations'].data]['NS.objects']))"),
                  path});
    ASSERT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
              QStringLiteral("['GPGradientPickerLinear', 'GPGradientPicker'] False 7 3"))
        << python.readAllStandardError().toStdString();

    KeyedUnarchiver reader(GPGradientPicker::archiveRegistry());
    ASSERT_TRUE(reader.open(*data).ok());
    auto* read = reader.decodeObjectOfClass<GPGradientPickerLinear>(QStringLiteral("root"));
    Result<DecodedObjects> decoded = reader.finish();
    ASSERT_TRUE(decoded.ok()) << decoded.error().describe().toStdString();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->gradientValue(), threeStops());
    EXPECT_FALSE(read->doDrawTickMarks());
    EXPECT_EQ(read->numberOfTickMarks(), 7);
    EXPECT_EQ(read->activeColorStop(), GPGradientPicker::kNoStop);
    EXPECT_TRUE(read->isEnabled());
}
