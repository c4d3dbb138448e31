// The pictures a 3D text view keeps, one per size: drawn again they are not
// rendered again; a change of what the view shows renders anew; a window
// that finds none of its size shows the nearest and gets its own later.
#include "Text3DTestSupport.h"

#include "canvas/painting/ElementPainter.h"
#include "canvas/painting/Text3DRenderQueue.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace text3d;

namespace {

// The element drawn into a picture of the page at `scale`; `asWindow` draws
// as a window does, which does not wait for 3D text.
QImage drawn(const ZVPuttyView& element, double scale, bool asWindow = false)
{
    QImage image(QSize(612, 792) * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const ql::PictureConversionScope scope(nullptr, asWindow ? &image : nullptr);
    QPainter painter(&image);
    painter.scale(scale, scale);
    ql::ElementPainter::paint(painter, element);
    return image;
}

bool showsAnything(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] != qRgb(255, 255, 255))
                return true;
        }
    }
    return false;
}

} // namespace

TEST(Text3DPictures, EachSizeIsRenderedOnceUntilTheDrawingChanges)
{
    Text3DBox box;
    const QImage first = drawn(*box.element, 1.0);
    EXPECT_EQ(box.view->pictureRenderCount(), 1);
    EXPECT_EQ(drawn(*box.element, 1.0), first);
    drawn(*box.element, 0.1); // a thumbnail
    EXPECT_EQ(box.view->pictureRenderCount(), 2);
    drawn(*box.element, 1.0);
    drawn(*box.element, 0.1);
    EXPECT_EQ(box.view->pictureRenderCount(), 2);

    // Selecting or moving the element changes nothing of its picture.
    box.element->setIsActive(true);
    box.element->setFrame(box.element->frame().translated(10, 0));
    drawn(*box.element, 1.0);
    EXPECT_EQ(box.view->pictureRenderCount(), 2);

    // What the picture shows changes: rendered anew, and it looks different.
    box.view->setFrontColor(QVariant::fromValue(ql::Color::deviceRgb(1, 0, 0)));
    const QImage red = drawn(*box.element, 1.0);
    EXPECT_EQ(box.view->pictureRenderCount(), 3);
    EXPECT_NE(red, first);
    box.view->setPointOfView(frontalPointOfView(80));
    drawn(*box.element, 1.0);
    box.view->setFontSize(40);
    drawn(*box.element, 1.0);
    EXPECT_EQ(box.view->pictureRenderCount(), 5);
    // Undoing renders the restored look again too.
    box.steps();
    box.document.undo.undo();
    drawn(*box.element, 1.0);
    EXPECT_EQ(box.view->pictureRenderCount(), 6);
}

TEST(Text3DPictures, AWindowShowsTheNearestPictureUntilItsOwnComes)
{
    Text3DBox box;
    ql::Text3DRenderQueue& queue = ql::Text3DRenderQueue::shared();
    QSignalSpy redraws(box.view, &ZVContentView::displayNeeded);

    // Nothing kept yet: the window draws nothing of it and renders nothing.
    EXPECT_FALSE(showsAnything(drawn(*box.element, 1.0, true)));
    EXPECT_EQ(box.view->pictureRenderCount(), 0);
    EXPECT_FALSE(queue.isEmpty());
    queue.finish();
    EXPECT_EQ(box.view->pictureRenderCount(), 1);
    EXPECT_EQ(redraws.count(), 1);
    EXPECT_EQ(drawn(*box.element, 1.0, true), drawn(*box.element, 1.0));
    EXPECT_EQ(box.view->pictureRenderCount(), 1);

    // A new zoom: the picture kept is shown scaled, the new one comes later.
    EXPECT_TRUE(showsAnything(drawn(*box.element, 1.5, true)));
    EXPECT_EQ(box.view->pictureRenderCount(), 1);
    queue.finish();
    EXPECT_EQ(box.view->pictureRenderCount(), 2);

    // A view gone before its turn is skipped.
    std::unique_ptr<ZVPuttyView> other = ZVPuttyView::initWith3DText(QStringLiteral("Gone"));
    drawn(*other, 2.0, true);
    other.reset();
    queue.finish();
    EXPECT_TRUE(queue.isEmpty());
}
