// Small text carries the same ink wherever it is drawn: in the window,
// in page-render's PNG and in its PDF as poppler rasterises it, all at
// 300 dpi (the window at 300/72 of the page's size).
#include "WindowTestSupport.h"
#include "../output/OutputTestSupport.h"

#include "content/ZVTextView.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"

#include <QDir>

using namespace ql;
using namespace ql::testing;

namespace {

constexpr int kDpi = 300;
const QRectF kBox(20, 20, 150, 60);

// The mean darkness (0 white, 255 black) over a picture's pixels in `area`.
double ink(const QImage& image, const QRect& area)
{
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            sum += 255 - qGray(image.pixel(x, y));
    }
    return sum / (double(area.width()) * area.height());
}

QRect onOutput(const QRectF& points)
{
    const double k = kDpi / 72.0;
    return QRectF(points.topLeft() * k, points.size() * k).toAlignedRect();
}

class SmallTextWeight : public WindowFixture {};

} // namespace

TEST_F(SmallTextWeight, SevenPointTextHasTheSameInkOnScreenInPicturesAndInPdf)
{
    page->setValueForKey(u"pageSize", 0);
    page->setValueForKey(u"pageWidth", 190);
    page->setValueForKey(u"pageHeight", 100);
    ZVPuttyView* box = add(ZVPuttyView::initWithText(), kBox.adjusted(-40, -40, 40, 40));
    const TextAttributes small {{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), 7))}};
    qobject_cast<ZVTextView*>(box->contentView())
        ->setAttributedString(AttributedString(QStringLiteral("Sift the flour with the salt, rub in the butter "
                                                              "and stir in the sugar; bake for twenty minutes "
                                                              "at 200 °C until golden. Serves 4 to 6."),
                                               small));

    const QString file = path(QStringLiteral("small.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, file));
    for (const QString& format : {QStringLiteral("png"), QStringLiteral("pdf")}) {
        const ProgramRun run = pageRender({file, folder.path(), QStringLiteral("--format"), format, QStringLiteral("--dpi"),
                                           QString::number(kDpi), QStringLiteral("--name"), QStringLiteral("p")});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    const double pdf = ink(pdfPage(path(QStringLiteral("p.pdf")), 1, kDpi), onOutput(kBox));
    const double png = ink(decodedRGB(path(QStringLiteral("p.png"))), onOutput(kBox));

    window->scrollView()->setMagnification(kDpi / 72.0, kBox.center());
    DeferredCalls::instance().flush();
    QCoreApplication::processEvents();
    ZVScrollView* view = window->scrollView();
    const QImage shown = view->viewport()->grab().toImage();
    const QRect area(view->mapFromPage(kBox.topLeft()).toPoint(), view->mapFromPage(kBox.bottomRight()).toPoint());
    ASSERT_TRUE(shown.rect().contains(area));
    const double screen = ink(shown, area);

    ASSERT_GT(pdf, 5.0) << "the text is drawn";
    EXPECT_NEAR(png / pdf, 1.0, 0.05) << "PNG " << png << ", PDF " << pdf;
    EXPECT_NEAR(screen / pdf, 1.0, 0.05) << "window " << screen << ", PDF " << pdf;
}
