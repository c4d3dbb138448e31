// A page far larger than any file can make (set on the model) still paints
// and zooms: its rulers draw only the ticks in view.
#include "WindowTestSupport.h"

#include "canvas/view/ZVScrollView.h"

#include <cmath>

using HugePageWindow = ql::testing::WindowFixture;

TEST_F(HugePageWindow, AHugePageWithAHugeBleedPaintsAndZooms)
{
    page->setValueForKey(u"pageSize", 0);
    page->setValueForKey(u"pageWidth", 1e7);
    page->setValueForKey(u"pageHeight", 1e7);
    page->setValueForKey(u"bleedMargin", 1e30);
    page->setValueForKey(u"fullBleed", true);
    for (int tag : {3, 1, 2, 0}) {
        window->setZoom(tag);
        ql::DeferredCalls::instance().flush();
        const double magnification = window->scrollView()->magnification();
        EXPECT_TRUE(std::isfinite(magnification) && magnification > 0) << tag;
        EXPECT_FALSE(window->grab().isNull()) << tag;
    }
}
