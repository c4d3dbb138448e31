// A document full of EPS pictures that never finish converting: the window
// keeps to its event loop, shows placeholders, shows each picture once it is
// converted, and leaves no Ghostscript running once its time is spent.
#include "../categories/EpsTestSupport.h"
#include "WindowTestSupport.h"

#include "app/categories/VectorRendering.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace ql;
using namespace ql::testing;

namespace {

// Ghostscript processes started by this one.
int ghostscriptChildren()
{
    int count = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (line.contains("(gs)") && rest.size() > 1 && rest[1].toInt() == int(::getpid()))
            ++count;
    }
    return count;
}

bool isRed(QColor c)
{
    return c.red() > 240 && c.green() < 16 && c.blue() < 16;
}

class EpsWindow : public WindowFixture {
protected:
    // A 60-point picture in the grid's cell `index`; its page point that lies
    // off the placeholder's cross.
    QPointF addPicture(int index, const QByteArray& eps)
    {
        const QRectF content(40 + 70 * (index % 7), 40 + 70 * (index / 7), 60, 60);
        ZVPuttyView* element = ZVPuttyView::initWithImage(Image(ImageRep::eps(eps, QSizeF(10, 10)))).release();
        page->addPuttyView(element);
        element->setFrame(content.adjusted(-ZVPuttyView::kMargin, -ZVPuttyView::kMargin, ZVPuttyView::kMargin,
                                           ZVPuttyView::kMargin));
        return content.center() + QPointF(0, -20);
    }
    QColor shownAt(QPointF pagePoint) const
    {
        ZVScrollView* view = window->scrollView();
        return view->viewport()->grab().toImage().pixelColor(view->mapFromPage(pagePoint).toPoint());
    }
};

} // namespace

TEST_F(EpsWindow, EndlessPicturesKeepTheWindowResponsiveAndShowPlaceholders)
{
    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    const CountingGhostscript gs;
    // Two seconds a picture: converting on the window's thread would stall it.
    const ConversionLimits limits({std::chrono::seconds(2), std::chrono::seconds(4)});
    const KeptWarnings warnings;

    const QPointF good = addPicture(0, solidEps("1 0 0"));
    QList<QPointF> endless;
    for (int i = 1; i <= 20; ++i)
        endless.append(addPicture(i, endlessEps(i)));

    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(50);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    ticker.start();
    EXPECT_TRUE(isPlaceholder(shownAt(endless.first())));
    // The converted picture shows without anything else asking for a repaint.
    EXPECT_TRUE(QTest::qWaitFor([&] { return isRed(shownAt(good)); }, 10000)) << shownAt(good).name().toStdString();
    // Two endless pictures spend the document's time; the rest never start.
    EXPECT_TRUE(QTest::qWaitFor([&] { return gs.runs() >= 3 && ghostscriptChildren() == 0; }, 15000));
    QTest::qWait(300);
    ticker.stop();

    RecordProperty("longestGapMs", int(longestGap));
    EXPECT_LT(longestGap, 1500);
    EXPECT_EQ(gs.runs(), 3);
    EXPECT_EQ(ghostscriptChildren(), 0);
    for (const QPointF& point : endless)
        EXPECT_TRUE(isPlaceholder(shownAt(point))) << point.x() << "," << point.y();
    EXPECT_EQ(warnings.count(QStringLiteral("conversion time")), 1) << warnings.all().toStdString();
}
