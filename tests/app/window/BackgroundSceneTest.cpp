// Backgrounds look the same on the canvas as in output: the window's scene,
// rendered for each page, and page-render's 72-dpi PNG of it are compared by
// PIL, for colours, gradients at three angles, pictures in every fitting and
// tiles, behind pages and behind elements.
#include "WindowTestSupport.h"

#include "../output/OutputTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Gradient.h"
#include "shapes/ZVVectorView.h"

#include <QDir>
#include <QGraphicsScene>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

using namespace ql;

namespace {

// How one background is set up.
struct Look {
    int type = ZVBackgroundView::Colour;
    double angle = 0;  // gradients
    int mode = 0;      // pictures; 3 tiles at half size
};

// Four coloured quarters, so that every fitting shows where it cut.
Image quarters()
{
    QImage picture(60, 40, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 30, 20, QColor(220, 30, 30));
    painter.fillRect(30, 0, 30, 20, QColor(30, 180, 40));
    painter.fillRect(0, 20, 30, 20, QColor(40, 60, 200));
    painter.fillRect(30, 20, 30, 20, QColor(240, 200, 20));
    return Image(picture);
}

void dress(ZVBackgroundView& background, const Look& look)
{
    background.setBackgroundColor(QVariant::fromValue(Color::deviceRgb(0.1, 0.3, 0.9)));
    background.setBackgroundOpacity(0.6);
    background.setBackgroundGradientColor1(QVariant::fromValue(Color::deviceRgb(0.9, 0.2, 0.1)));
    background.setBackgroundGradientColor2(QVariant::fromValue(Color::deviceRgb(0.1, 0.2, 0.8)));
    background.setBackgroundGradientSplit(0.8);
    background.setBackgroundGradientAngle(look.angle);
    background.setBackgroundImage(quarters());
    background.setBackgroundImageMode(look.mode);
    background.setBackgroundImageScale(0.5);
    background.setBackgroundType(look.type);
}

class BackgroundScene : public ql::testing::WindowFixture {};

} // namespace

TEST_F(BackgroundScene, TheCanvasShowsBackgroundsAsPageRenderWritesThem)
{
    const Look colour {ZVBackgroundView::Colour};
    const auto gradient = [](double angle) { return Look {ZVBackgroundView::GradientFill, angle}; };
    const auto picture = [](int mode) { return Look {ZVBackgroundView::ImageFill, 0, mode}; };
    const QList<std::pair<Look, Look>> pages {
        {colour, gradient(0)},      {gradient(45), gradient(90)}, {gradient(90), colour},
        {picture(0), picture(1)},   {picture(2), picture(4)},     {picture(1), picture(0)},
        {picture(4), picture(3)},   {picture(3), picture(2)},
    };
    for (const auto& [pageLook, elementLook] : pages) {
        ZVCanvasView* page = ql::testing::addPage(*document, QSizeF(300, 200));
        dress(*page->backgroundView(), pageLook);
        ZVPuttyView* element =
            ZVPuttyView::initWithVector(BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("square")).release();
        element->setFrame(QRectF(40, 30, 150, 100).adjusted(-40, -40, 40, 40));
        page->addPuttyView(element);
        qobject_cast<ZVVectorView*>(element->contentView())->setStrokeEnabled(false);
        dress(*element->backgroundView(), elementLook);
    }
    const QString file = path(QStringLiteral("backgrounds.qvleaf"));
    ql::testing::save(*document, file);
    const QString out = path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    const ql::testing::ProgramRun run = ql::testing::pageRender(
        {file, out, QStringLiteral("--format"), QStringLiteral("png"), QStringLiteral("--dpi"), QStringLiteral("72"),
         QStringLiteral("--name"), QStringLiteral("page")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    // The canvas of the same file, opened as the user would: the pictures,
    // stored as JPEG, are the ones page-render read.
    const Result<Document*> opened = controller.openDocumentWithContentsOfFile(file);
    ASSERT_TRUE(opened) << opened.error().message.toStdString();
    EXPECT_EQ((*opened)->pages().at(4)->backgroundView()->backgroundImage().size(), QSizeF(60, 40))
        << "a picture keeps its size through the file";
    auto* shownWindow = qobject_cast<DocumentWindow*>((*opened)->documentWindow());
    ASSERT_TRUE(shownWindow);
    shownWindow->resize(1400, 1000);
    shownWindow->show();
    QGraphicsScene* scene = shownWindow->scrollView()->scene();
    for (qsizetype i = 0; i < pages.size(); ++i) {
        ZVCanvasView* page = (*opened)->pages().at(i + 1);
        (*opened)->setCurrentPage(page);
        DeferredCalls::instance().flush();
        const QRectF bounds = page->bounds();
        QImage shown(bounds.size().toSize(), QImage::Format_ARGB32_Premultiplied);
        shown.fill(Qt::white);
        {
            QPainter painter(&shown);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
            scene->render(&painter, bounds, bounds);
        }
        const QString canvasFile = path(QStringLiteral("canvas_%1.png").arg(i));
        ASSERT_TRUE(shown.save(canvasFile));
        // The document's first page is its own blank one.
        const QString rendered = QDir(out).filePath(QStringLiteral("page_%1.png").arg(i + 2));
        const ql::testing::ProgramRun compared = ql::testing::runProgram(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/app/output/compare_pictures.py"), canvasFile, rendered});
        ASSERT_EQ(compared.exitCode, 0) << compared.err.toStdString();
        const QJsonObject result = QJsonDocument::fromJson(compared.out.toUtf8()).object();
        EXPECT_LE(result[QStringLiteral("largest")].toInt(999), 3) << "page " << i + 2 << ": " << compared.out.toStdString();
    }
}
