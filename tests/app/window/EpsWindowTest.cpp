// A document full of EPS pictures that never finish converting: the window
// keeps to its event loop, shows placeholders, shows a picture once it is
// converted, and leaves no Ghostscript running once its time is spent.
#include "support/EpsTestSupport.h"
#include "WindowTestSupport.h"

#include "imaging/VectorRendering.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVScrollView.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::testing;

class EpsWindow : public WindowFixture {};

TEST_F(EpsWindow, EndlessPicturesKeepTheWindowResponsiveAndShowPlaceholders)
{
    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    // Conversions happen in private folders in here, which tells our
    // Ghostscript from any other.
    QTemporaryDir temporary;
    const EnvironmentChange folder("TMPDIR", QFile::encodeName(temporary.path()).toStdString());
    const CountingGhostscript gs;
    // Two seconds a picture: converting on the window's thread would stall it.
    const ConversionLimits limits({std::chrono::seconds(2), std::chrono::seconds(4)});
    // Page points of each picture's cell, off the placeholder's cross.
    QList<QPointF> cells;
    for (int i = 0; i <= 20; ++i) {
        const QRectF content(40 + 70 * (i % 7), 40 + 70 * (i / 7), 60, 60);
        addEpsPicture(*page, content, i == 0 ? solidEps("1 0 0") : endlessEps(i));
        cells.append(content.center() - QPointF(0, 20));
    }
    const auto shownAt = [this](QPointF point) {
        ZVScrollView* view = window->scrollView();
        return view->viewport()->grab().toImage().pixelColor(view->mapFromPage(point).toPoint());
    };

    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    ticker.start(50);
    // Conversions that end repaint the canvas, nothing else does meanwhile.
    ZVElementItem* first = nullptr;
    for (QGraphicsItem* item : window->scrollView()->scene()->items()) {
        if (auto* element = dynamic_cast<ZVElementItem*>(item); element && element->element() == page->puttyViews().first())
            first = element;
    }
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->paintCount() > 0; }, 5000));
    const int painted = first->paintCount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return first->paintCount() > painted; }, 10000));
    EXPECT_TRUE(shownAt(cells[0]).red() > 240 && shownAt(cells[0]).green() < 16);
    // Two endless pictures spend the document's time; the rest never start.
    EXPECT_TRUE(QTest::qWaitFor([&] { return gs.runs() >= 3 && processesMentioning(temporary.path()).isEmpty(); }, 15000));
    QTest::qWait(300);
    ticker.stop();

    RecordProperty("longestGapMs", int(longestGap));
    EXPECT_LT(longestGap, 1500);
    for (const QPointF& cell : cells.mid(1))
        EXPECT_TRUE(isPlaceholder(shownAt(cell))) << cell.x() << "," << cell.y();
}
