// Backgrounds at part opacity come out of every output as the PNG export
// (and so the window) shows them: page-render's PDF and a print to file,
// both rasterised by poppler, against page-render's PNG of the same pages,
// for colours, linear and radial gradients and pictures stretched, fitted
// and tiled, behind pages and behind elements.
#include "ExportTestSupport.h"

#include "app/export/PrintCommand.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/BezierPath.h"
#include "platform/ui/ScriptedPrompter.h"
#include "shapes/ZVVectorView.h"

#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <gtest/gtest.h>

namespace ql::testing {
namespace {

struct Look {
    int type = ZVBackgroundView::None;
    int gradientType = 0; // 0 linear, 1 radial
    double angle = 0;
    int mode = 0; // pictures: 1 fitted, 2 stretched, 3 tiled at half size
    double opacity = 0.5;
};

// Four coloured quarters, large enough that their edges stay sharp on a page.
Image quarters()
{
    QImage picture(600, 400, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 300, 200, QColor(220, 30, 30));
    painter.fillRect(300, 0, 300, 200, QColor(30, 180, 40));
    painter.fillRect(0, 200, 300, 200, QColor(40, 60, 200));
    painter.fillRect(300, 200, 300, 200, QColor(240, 200, 20));
    return Image(picture);
}

void dress(ZVBackgroundView& background, const Look& look)
{
    background.setBackgroundColor(QVariant::fromValue(Color::deviceRgb(0.1, 0.3, 0.9)));
    background.setBackgroundOpacity(look.opacity);
    background.setBackgroundGradientColor1(QVariant::fromValue(Color::deviceRgb(1, 1, 1)));
    background.setBackgroundGradientColor2(QVariant::fromValue(Color::deviceRgb(0, 0, 0)));
    background.setBackgroundGradientType(look.gradientType);
    background.setBackgroundGradientAngle(look.angle);
    background.setBackgroundImage(quarters());
    background.setBackgroundImageMode(look.mode);
    background.setBackgroundImageScale(0.5);
    background.setBackgroundType(look.type);
}

// How far `shown` strays from `expected`: its largest difference in any
// channel, and the share of pixels that differ by more than 8 levels.
struct Difference {
    int largest = 255;
    double share = 1.0;
};

Difference difference(const QImage& shown, const QImage& expected)
{
    if (shown.size() != expected.size() || shown.isNull())
        return {};
    Difference result {0, 0.0};
    qint64 off = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            const int most = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                       std::abs(qBlue(a) - qBlue(b))});
            result.largest = std::max(result.largest, most);
            off += most > 8;
        }
    }
    result.share = double(off) / (qint64(shown.width()) * shown.height());
    return result;
}

class BackgroundOutput : public ::testing::Test {
protected:
    QTemporaryDir folder;
    HomeFolder home {folder.path()};
    Document document;
    ScriptedPrompter prompter;
    RecordingWorkspace workspace;
};

TEST_F(BackgroundOutput, PdfAndPrintShowEveryBackgroundAtItsOpacityAsThePngDoes)
{
    const auto gradient = [](int kind, double angle, double opacity = 0.5) {
        return Look {ZVBackgroundView::GradientFill, kind, angle, 0, opacity};
    };
    const auto picture = [](int mode) { return Look {ZVBackgroundView::ImageFill, 0, 0, mode}; };
    const Look colour {ZVBackgroundView::Colour};
    const Look none;
    const Look full = gradient(0, 30, 1.0);
    // A page's background, an element's behind a square, the square's own
    // fill, and the element's opacity. Letter pages print at their own place
    // on Letter paper.
    struct Page {
        Look page, element, shape;
        double elementOpacity = 1.0;
    };
    const QList<Page> pages {
        {gradient(0, 0)},                    // white to black at half strength
        {gradient(0, 0, 0.25)},              // and at a quarter
        {colour, gradient(1, 0)},            {gradient(1, 0), colour},
        {gradient(0, 45), gradient(0, 90)},  {picture(2), picture(1)},
        {picture(1), picture(3)},            {picture(3), picture(2)},
        {none, full, none, 0.5},             // full gradients in a half-transparent element
        {none, none, gradient(1, 0)},        {none, none, full, 0.5},
    };
    for (const Page& look : pages) {
        ZVCanvasView* page = addPage(document);
        dress(*page->backgroundView(), look.page);
        if (look.element.type == ZVBackgroundView::None && look.shape.type == ZVBackgroundView::None)
            continue;
        ZVPuttyView* element =
            ZVPuttyView::initWithVector(BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("square")).release();
        element->setFrame(QRectF(100, 150, 360, 400).adjusted(-40, -40, 40, 40));
        page->addPuttyView(element);
        element->setValueForKey(u"layerOpacity", look.elementOpacity);
        dress(*element->backgroundView(), look.element);
        auto* square = qobject_cast<ZVVectorView*>(element->contentView());
        square->setStrokeEnabled(false);
        dress(*square->backgroundView(), look.shape);
    }
    const QString file = folder.filePath(QStringLiteral("backgrounds.qvleaf"));
    save(document, file);
    const QString out = folder.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    for (const char* format : {"png", "pdf"}) {
        const ProgramRun run = pageRender({file, out, QStringLiteral("--format"), QLatin1String(format),
                                           QStringLiteral("--dpi"), QStringLiteral("72"), QStringLiteral("--name"),
                                           QStringLiteral("page")});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    const QString printed = folder.filePath(QStringLiteral("printed.pdf"));
    prompter.answerPrintDialog([printed](QPrinter& printer) {
        printer.setOutputFileName(printed);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Portrait);
        return true;
    });
    OutputContext context;
    context.prompter = &prompter;
    context.workspace = &workspace;
    ASSERT_EQ(runCommand(new PrintCommand(document, context), [](PrintCommand& c) { c.printDocument(); }),
              QStringList());

    for (qsizetype i = 0; i < pages.size(); ++i) {
        const int number = int(i) + 1;
        const QImage png = decodedRGB(QDir(out).filePath(QStringLiteral("page_%1.png").arg(number)));
        const QImage pdf = pdfPage(QDir(out).filePath(QStringLiteral("page.pdf")), number);
        const QImage print = pdfPage(printed, number);
        if (i < 2) {
            // The dark end of white to black at half and a quarter of its strength.
            const int edge = i == 0 ? 128 : 191;
            EXPECT_NEAR(qRed(png.pixel(611, 396)), edge, 3);
            EXPECT_NEAR(qRed(pdf.pixel(611, 396)), edge, 3) << "PDF, page " << number;
            EXPECT_NEAR(qRed(print.pixel(611, 396)), edge, 3) << "print, page " << number;
        }
        // Only the edges of pictures, smoothed and placed on pixels a little
        // differently by poppler, may stray; a gradient at the wrong
        // strength is off over a third of its page or more.
        for (const auto& [name, shown] : {std::pair {"PDF", pdf}, std::pair {"print", print}}) {
            const Difference off = difference(shown, png);
            EXPECT_LT(off.share, 0.03) << name << ", page " << number << ": " << off.share << ", largest "
                                       << off.largest;
        }
    }
}

} // namespace
} // namespace ql::testing
