// Pages far larger than any file can make (set directly on the model) still
// paint, zoom and show their rulers: the rulers draw only the ticks in view,
// however far the page's zero lies.
#include "WindowTestSupport.h"

#include "canvas/view/ZVRulerView.h"
#include "canvas/view/ZVScrollView.h"

#include <QImage>
#include <cmath>

using namespace ql;

namespace {

using HugePageWindow = ql::testing::WindowFixture;

// How many columns of the ruler hold tick marks (dark pixels along its bottom).
int tickColumns(ZVRulerView& ruler)
{
    const QImage picture = ruler.grab().toImage();
    int columns = 0;
    for (int x = 0; x < picture.width(); ++x)
        columns += qGray(picture.pixel(x, picture.height() - 3)) < 0x80;
    return columns;
}

} // namespace

TEST_F(HugePageWindow, AHugePageWithAHugeBleedPaintsAndZoomsWithRulersOfTicksInView)
{
    ZVRulerView& ruler = *window->scrollView()->horizontalRulerView();
    EXPECT_GT(tickColumns(ruler), 10);

    page->setValueForKey(u"pageSize", 0);
    page->setValueForKey(u"pageWidth", 1e7);
    page->setValueForKey(u"pageHeight", 1e7);
    page->setValueForKey(u"bleedMargin", 1e30);
    page->setValueForKey(u"fullBleed", true);
    DeferredCalls::instance().flush();
    for (int tag : {3, 1, 2, 0}) {
        window->setZoom(tag);
        DeferredCalls::instance().flush();
        const double magnification = window->scrollView()->magnification();
        EXPECT_TRUE(std::isfinite(magnification) && magnification > 0) << tag;
        EXPECT_FALSE(window->grab().toImage().isNull()) << tag;
        // The zero lies some 1e30 points away: only the ticks in view are drawn.
        EXPECT_LE(tickColumns(ruler), ruler.width()) << tag;
    }

    page->setValueForKey(u"fullBleed", false);
    page->setValueForKey(u"pageWidth", 612.0);
    page->setValueForKey(u"pageHeight", 792.0);
    page->setValueForKey(u"pageSize", 1);
    window->setZoom(0);
    DeferredCalls::instance().flush();
    EXPECT_GT(tickColumns(ruler), 10);
}
