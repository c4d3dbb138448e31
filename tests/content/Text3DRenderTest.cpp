// Pictures of 3D text: sizes and formats, the silhouette against the
// string's own outlines seen from the front and turned, shading, upright
// rows, repeatability, and the snapshot the output draws.
#include "Text3DTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "canvas/painting/ElementPainter.h"
#include "content/scene3d/SceneRenderer.h"
#include "content/scene3d/TextGeometry.h"
#include "platform/graphics/Image.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <limits>

using namespace text3d;

namespace {

// The string's flat outlines filled through the mapping a frontal point of
// view at this scale gives, as a mask of the picture's size.
QImage outlineMask(const ZV3DTextView& view, QSize pixels, double scale)
{
    QImage flat(pixels, QImage::Format_ARGB32_Premultiplied);
    flat.fill(Qt::transparent);
    QPainter painter(&flat);
    painter.setRenderHint(QPainter::Antialiasing);
    const double aspect = double(pixels.width()) / pixels.height();
    const QVector3D at = view.textNode()->position();
    // Scene units to pixels, y flipped: x' = (x / (s·a) + 1)·W/2, y' = (1 − y / s)·H/2.
    QTransform mapping;
    mapping.translate(pixels.width() / 2.0, pixels.height() / 2.0);
    mapping.scale(pixels.width() / (2 * scale * aspect), -pixels.height() / (2 * scale));
    mapping.translate(at.x(), at.y());
    painter.setTransform(mapping);
    painter.fillPath(view.text()->outline(), Qt::black);
    painter.end();
    return opaqueMask(flat);
}

} // namespace

TEST(Text3DRender, PicturesHaveTheAskedSizeAndFormat)
{
    ZV3DTextView view(QRectF(40, 40, 300, 150));
    const ql::Image snapshot = ql::ZVDesignHelper::imageFromSceneKitView(view);
    EXPECT_EQ(snapshot.bitmap().size(), QSize(4000, 2000));
    EXPECT_EQ(snapshot.size(), QSizeF(4000, 2000));
    EXPECT_EQ(snapshot.bitmap().format(), QImage::Format_RGBA8888_Premultiplied);
    const ql::Image thumbnail = ql::ZVDesignHelper::imageFromSceneKitView(view, true);
    EXPECT_EQ(thumbnail.bitmap().size(), QSize(200, 100));

    EXPECT_EQ(view.renderImage(QSizeF(300.9, 1.7)).size(), QSize(300, 1));
    const QImage deep = view.renderImage(QSizeF(64, 32), true);
    EXPECT_EQ(deep.format(), QImage::Format_RGBA32FPx4_Premultiplied);
    EXPECT_EQ(deep.depth(), 128);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (QSizeF size : {QSizeF(0, 10), QSizeF(10, 0), QSizeF(-5, 10), QSizeF(nan, 10), QSizeF(10, 1e12)})
        EXPECT_TRUE(view.renderImage(size).isNull()) << size.width() << " " << size.height();
    for (QRectF frame : {QRectF(0, 0, 0, 100), QRectF(0, 0, 100, 0), QRectF(0, 0, -4, 100), QRectF(0, 0, nan, 100)}) {
        ZV3DTextView empty(frame);
        EXPECT_TRUE(ql::ZVDesignHelper::imageFromSceneKitView(empty).bitmap().isNull());
    }

    // A very tall view fits within 16384 pixels and keeps its size in points.
    ZV3DTextView tall(QRectF(0, 0, 10, 5000));
    const ql::Image tallShot = ql::ZVDesignHelper::imageFromSceneKitView(tall);
    EXPECT_EQ(tallShot.bitmap().height(), 16384);
    EXPECT_EQ(tallShot.bitmap().width(), 32);
    EXPECT_EQ(tallShot.size(), QSizeF(4000, 2000000));
}

TEST(Text3DRender, TheDefaultElementLiesWhollyInsideItsSnapshot)
{
    Text3DBox box;
    const ql::Image snapshot = ql::ZVDesignHelper::imageFromSceneKitView(*box.view);
    const QImage picture = snapshot.bitmap();
    ASSERT_EQ(picture.size(), QSize(4000, 1142));
    const QRect opaque = opaqueBounds(picture);
    ASSERT_FALSE(opaque.isNull());
    EXPECT_GT(opaque.left(), 0);
    EXPECT_GT(opaque.top(), 0);
    EXPECT_LT(opaque.right(), picture.width() - 1);
    EXPECT_LT(opaque.bottom(), picture.height() - 1);
    EXPECT_GT(countColour(picture, Qt::blue), 10000);
    // The sides show too, seen from the default camera.
    EXPECT_GT(countGrey(picture), 1000);
}

TEST(Text3DRender, SeenFromTheFrontTheSilhouetteIsTheOutline)
{
    for (int chamfer : {0, 2}) {
        ZV3DTextView view(QRectF(40, 40, 400, 200));
        view.setString(QStringLiteral("Quiver 3D"));
        view.setChamferRadius(chamfer);
        view.setPointOfView(frontalPointOfView(80));
        const QImage picture = view.renderImage(QSizeF(2000, 1000));
        const double overlap = intersectionOverUnion(opaqueMask(picture), outlineMask(view, picture.size(), 80));
        EXPECT_GE(overlap, 0.98) << "chamfer " << chamfer;
        const qint64 side = countGrey(picture);
        if (chamfer == 0)
            EXPECT_EQ(side, 0);
        else
            EXPECT_GT(side, 20000) << "a rim of side colour";
        EXPECT_GT(countColour(picture, Qt::blue), chamfer == 0 ? 20000 : 1000);
    }
}

TEST(Text3DRender, TurnedTheSidesShowAndTheSilhouetteChanges)
{
    ZV3DTextView view(QRectF(40, 40, 400, 200));
    view.setString(QStringLiteral("Quiver 3D"));
    view.setExtrusionDepth(20);
    view.setPointOfView(frontalPointOfView(80, 30));
    const QImage picture = view.renderImage(QSizeF(2000, 1000));
    const double overlap = intersectionOverUnion(opaqueMask(picture), outlineMask(view, picture.size(), 80));
    EXPECT_LT(overlap, 0.9);
    qint64 opaque = 0;
    const QImage mask = opaqueMask(picture);
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            opaque += mask.constScanLine(y)[x] != 0;
    const qint64 side = countGrey(picture);
    EXPECT_GE(side * 100, opaque) << side << " of " << opaque;

    // Walls shade smoothly: no pixel inside the solid lets the background
    // through between neighbouring faces.
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    int seams = 0;
    for (int y = 1; y + 1 < rgba.height(); ++y) {
        for (int x = 1; x + 1 < rgba.width(); ++x) {
            const auto alpha = [&](int dx, int dy) { return rgba.constScanLine(y + dy)[(x + dx) * 4 + 3]; };
            if (alpha(0, 0) < 250 && alpha(-1, 0) == 255 && alpha(1, 0) == 255 && alpha(0, -1) == 255 &&
                alpha(0, 1) == 255)
                ++seams;
        }
    }
    EXPECT_LT(seams, 20);
}

TEST(Text3DRender, PicturesAreUprightAndRepeatable)
{
    ZV3DTextView first(QRectF(0, 0, 200, 200));
    first.setString(QStringLiteral("T"));
    first.setPointOfView(frontalPointOfView(40));
    const QImage t = first.renderImage(QSizeF(400, 400));
    const QRect opaque = opaqueBounds(t);
    ASSERT_FALSE(opaque.isNull());
    // The widest row of a "T" is its bar, at the top.
    const QImage mask = opaqueMask(t);
    int widestRow = -1, widest = 0;
    for (int y = opaque.top(); y <= opaque.bottom(); ++y) {
        int count = 0;
        for (int x = 0; x < mask.width(); ++x)
            count += mask.constScanLine(y)[x] != 0;
        if (count > widest) {
            widest = count;
            widestRow = y;
        }
    }
    EXPECT_LT(widestRow, opaque.top() + opaque.height() / 4);

    // Two views of the same settings draw the same bytes.
    ZV3DTextView second(QRectF(0, 0, 200, 200));
    second.setString(QStringLiteral("T"));
    second.setPointOfView(frontalPointOfView(40));
    const QImage again = second.renderImage(QSizeF(400, 400));
    EXPECT_EQ(again, t);
    Text3DBox a, b;
    a.view->setIsShiny(true);
    b.view->setIsShiny(true);
    EXPECT_EQ(a.view->renderImage(QSizeF(800, 300)), b.view->renderImage(QSizeF(800, 300)));
}

TEST(Text3DRender, ShinyMaterialsGetWhiteHighlights)
{
    ZV3DTextView view(QRectF(40, 40, 400, 200));
    view.setString(QStringLiteral("Oo"));
    view.setExtrusionDepth(20);
    view.setChamferRadius(3);
    // Highlights only add light, and somewhere they add much.
    const QImage matte = view.renderImage(QSizeF(800, 400)).convertToFormat(QImage::Format_RGBA8888);
    view.setIsShiny(true);
    const QImage shiny = view.renderImage(QSizeF(800, 400)).convertToFormat(QImage::Format_RGBA8888);
    ASSERT_EQ(shiny.size(), matte.size());
    qint64 lighter = 0, darker = 0;
    for (int y = 0; y < matte.height(); ++y) {
        const uchar* a = matte.constScanLine(y);
        const uchar* b = shiny.constScanLine(y);
        for (int x = 0; x < matte.width() * 4; x += 4) {
            if (a[x + 3] != 255 || b[x + 3] != 255)
                continue;
            const int gain = (b[x] + b[x + 1] + b[x + 2]) - (a[x] + a[x + 1] + a[x + 2]);
            lighter += gain > 60;
            darker += gain < 0;
        }
    }
    EXPECT_GT(lighter, 200);
    EXPECT_EQ(darker, 0);
}

TEST(Text3DRender, AChamferNeverFoldsTheInsetOutline)
{
    ql::scene3d::TextGeometry::Parameters parameters;
    parameters.string = QStringLiteral("Wei\u00df 8&");
    parameters.font = ZV3DTextView::resolveFont(QStringLiteral("Helvetica"));
    parameters.extrusionDepth = 10;
    parameters.chamferRadius = 5;
    const ql::scene3d::TextGeometry geometry(parameters);
    const auto& outer = geometry.contours();
    const auto& inset = geometry.insetContours();
    ASSERT_EQ(outer.size(), inset.size());
    ASSERT_FALSE(inset.empty());
    for (size_t c = 0; c < inset.size(); ++c) {
        const size_t n = inset[c].size();
        for (size_t i = 0; i < n; ++i) {
            const QPointF edge = outer[c][(i + 1) % n] - outer[c][i];
            const QPointF insetEdge = inset[c][(i + 1) % n] - inset[c][i];
            EXPECT_GT(QPointF::dotProduct(edge, insetEdge), 0.0) << "contour " << c << " point " << i;
            // Inset points stay inside the letter (or on its edge).
            const QPointF p = inset[c][i];
            const bool inside = geometry.outline().contains(p) ||
                                geometry.outline().intersects(QRectF(p - QPointF(1e-3, 1e-3), QSizeF(2e-3, 2e-3)));
            EXPECT_TRUE(inside) << "contour " << c << " point " << i << " at " << p.x() << "," << p.y() << " from "
                                << outer[c][i].x() << "," << outer[c][i].y() << " n=" << n;
        }
    }
    EXPECT_FLOAT_EQ(geometry.appliedChamfer(), 5.0f);
}

TEST(Text3DRender, TheElementPainterDrawsTheSceneAtTheTargetsPixels)
{
    Text3DBox box(QRectF(0, 0, 500, 200));
    for (double zoom : {1.0, 2.5}) {
        QImage page(QSize(500, 200) * zoom, QImage::Format_ARGB32_Premultiplied);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.scale(zoom, zoom);
        ql::ElementPainter::paint(painter, *box.element);
        painter.end();
        const QRect content = QRectF(40 * zoom, 40 * zoom, 420 * zoom, 120 * zoom).toRect();
        EXPECT_GT(countColour(page.copy(content), Qt::blue), 500 * zoom * zoom) << zoom;
        EXPECT_EQ(countColour(page.copy(0, 0, page.width(), int(35 * zoom)), Qt::blue), 0) << "nothing above the content";
    }
}
