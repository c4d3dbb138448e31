// The 3D text content's settings: defaults with their kinds, what each change
// rebuilds, its undo, the fonts it resolves, edit mode and camera control.
#include "Text3DTestSupport.h"

#include "canvas/ArchiveTestSupport.h"
#include "canvas/ZVHandleView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/FontResolver.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <gtest/gtest.h>

using ql::scene3d::SideSlot;
using ql::scene3d::FrontSlot;

namespace {

double cameraScale(const ql::scene3d::SceneNode& node)
{
    return node.camera() ? node.camera()->orthographicScale : -1.0;
}

} // namespace

TEST(Text3DView, ANewElementShowsItsStringInTheDefaults)
{
    Text3DBox box;
    ZV3DTextView& view = *box.view;
    EXPECT_EQ(view.string(), QStringLiteral("Double click to rotate me."));
    EXPECT_EQ(view.fontFamily(), QStringLiteral("Helvetica"));
    EXPECT_EQ(view.fontSize(), QVariant(120));
    EXPECT_EQ(view.fontSize().typeId(), QMetaType::Int);
    EXPECT_EQ(view.extrusionDepth(), QVariant(5));
    EXPECT_EQ(view.chamferRadius(), QVariant(0));
    EXPECT_EQ(view.frontColor().value<ql::Color>(), ql::Color::calibratedRgb(0, 0, 1));
    EXPECT_EQ(view.sideColor().value<ql::Color>(), ql::Color::calibratedWhite(1.0 / 3.0));
    EXPECT_FALSE(view.isShiny());
    EXPECT_FALSE(view.edited());
    EXPECT_EQ(view.observingKeyPaths().size(), 18);
    EXPECT_EQ(view.observingKeyPaths().first(), QStringLiteral("border.cornerRadius"));
    EXPECT_EQ(view.observingKeyPaths().last(), QStringLiteral("isShiny"));

    EXPECT_EQ(cameraScale(view.cameraNode()), 80.0);
    EXPECT_EQ(&view.pointOfView(), &view.cameraNode());
    const ql::scene3d::TextGeometry* text = view.text();
    ASSERT_TRUE(text);
    ASSERT_EQ(text->materials().size(), 5u);
    EXPECT_EQ(text->material(FrontSlot).diffuse, QColor(Qt::blue));
    EXPECT_EQ(text->material(ql::scene3d::BackSlot).diffuse, QColor(Qt::blue));
    for (auto slot : {SideSlot, ql::scene3d::FrontChamferSlot, ql::scene3d::BackChamferSlot})
        EXPECT_EQ(text->material(slot).diffuse, ql::Color::calibratedWhite(1.0 / 3.0).toQColor());
    EXPECT_FALSE(text->material(FrontSlot).specular);
    EXPECT_FLOAT_EQ(text->frontZ() - text->backZ(), 5.0f);
    EXPECT_FLOAT_EQ(text->frontZ(), 2.5f);

    // One text node, centred across with its top at the origin.
    const QVector3D m = text->boundingBoxMin(), M = text->boundingBoxMax();
    ASSERT_TRUE(view.textNode());
    EXPECT_EQ(view.textNode()->position(), QVector3D((m.x() - M.x()) / 2, m.y() - M.y(), 0));
    int geometryNodes = 0;
    for (const auto& child : view.scene().rootNode().children())
        geometryNodes += child->geometry() ? 1 : 0;
    EXPECT_EQ(geometryNodes, 1);
}

TEST(Text3DView, TheApparentSizeSetsBothCamerasAndNeverBelowOne)
{
    Text3DBox box;
    ZV3DTextView& view = *box.view;
    // A turned view has its own point of view; both follow.
    view.setAllowsCameraControl(true);
    view.cameraMouseDown(QPointF(10, 10));
    view.cameraMouseUp(QPointF(60, 10));
    ASSERT_NE(&view.pointOfView(), &view.cameraNode());

    view.setValueForKey(u"fontSize", 150);
    EXPECT_EQ(cameraScale(view.cameraNode()), 50.0);
    EXPECT_EQ(cameraScale(view.pointOfView()), 50.0);
    for (int size : {200, 250}) {
        view.setValueForKey(u"fontSize", size);
        EXPECT_EQ(cameraScale(view.cameraNode()), 1.0);
        EXPECT_EQ(cameraScale(view.pointOfView()), 1.0);
        EXPECT_EQ(view.fontSize(), QVariant(size)) << "the stored size stays";
    }
    EXPECT_FALSE(view.renderImage(QSizeF(200, 60)).isNull());
}

TEST(Text3DView, ChangesRebuildTheTextWithTheirMaterials)
{
    Text3DBox box;
    ZV3DTextView& view = *box.view;
    const ql::scene3d::TextGeometry* before = view.text();
    view.setValueForKey(u"isShiny", true);
    ASSERT_NE(view.text(), before);
    EXPECT_EQ(view.text()->material(FrontSlot).specular, QColor(Qt::white));
    EXPECT_EQ(view.text()->material(SideSlot).specular, QColor(Qt::white));
    view.setValueForKey(u"isShiny", false);
    EXPECT_FALSE(view.text()->material(FrontSlot).specular);
    EXPECT_FALSE(view.text()->material(SideSlot).specular);

    view.setValueForKey(u"extrusionDepth", 12.5);
    EXPECT_FLOAT_EQ(view.text()->frontZ(), 6.25f);
    view.setValueForKey(u"chamferRadius", 40);
    EXPECT_FLOAT_EQ(view.text()->appliedChamfer(), 6.25f) << "at most half the depth";

    // Two lines: the second lies below the first.
    const float oneLine = view.text()->boundingBoxMax().y() - view.text()->boundingBoxMin().y();
    view.setString(QStringLiteral("Top\nBottom"));
    EXPECT_GT(view.text()->boundingBoxMax().y() - view.text()->boundingBoxMin().y(), oneLine * 1.5f);

    // Nothing to show draws nothing, and no harm.
    view.setString(QString());
    EXPECT_TRUE(view.text()->facets().empty());
    const QImage empty = view.renderImage(QSizeF(120, 40));
    ASSERT_FALSE(empty.isNull());
    EXPECT_EQ(empty.pixel(60, 20), 0u);
    view.setString(QStringLiteral("Again"));

    // Without a family nothing is rebuilt.
    const ql::scene3d::TextGeometry* kept = view.text();
    view.setFontFamily(QString());
    EXPECT_EQ(view.text(), kept);
}

TEST(Text3DView, FontNamesResolveAsPostScriptNamesThenFamiliesThenTheSystemFont)
{
    // Qt may name the foundry after the family ("Nimbus Sans [UKWN]").
    auto familyOf = [](const QString& name) { return QFontInfo(ZV3DTextView::resolveFont(name)).family(); };
    EXPECT_TRUE(familyOf(QStringLiteral("Helvetica")).startsWith(QStringLiteral("Nimbus Sans")));
    EXPECT_TRUE(familyOf(QStringLiteral("Nimbus Sans")).startsWith(QStringLiteral("Nimbus Sans")));
    EXPECT_TRUE(familyOf(QStringLiteral("LiberationSerif-Bold")).startsWith(QStringLiteral("Liberation Serif")));
    EXPECT_TRUE(QFontInfo(ZV3DTextView::resolveFont(QStringLiteral("LiberationSerif-Bold"))).bold());
    const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    EXPECT_EQ(QFontInfo(ZV3DTextView::resolveFont(QStringLiteral("NoSuchFont"))).family(), QFontInfo(system).family());
    // Glyphs are always built at 36 points, whatever the apparent size.
    EXPECT_EQ(ZV3DTextView::resolveFont(QStringLiteral("NoSuchFont")).pointSizeF(), 36.0);
    EXPECT_EQ(ZV3DTextView::resolveFont(QStringLiteral("Nimbus Sans")).pointSizeF(), 36.0);

    Text3DBox box;
    box.view->setFontFamily(QStringLiteral("Nimbus Sans"));
    const QRectF sans = box.view->text()->outline().boundingRect();
    box.view->setFontFamily(QStringLiteral("LiberationSerif-Bold"));
    EXPECT_NE(box.view->text()->outline().boundingRect(), sans);
}

TEST(Text3DView, EveryChangeIsOneUndoStepThatRestoresAndRebuilds)
{
    Text3DBox box;
    ZV3DTextView& view = *box.view;
    view.setValueForKey(u"frontColor", QVariant::fromValue(ql::Color::calibratedRgb(1, 0, 0)));
    EXPECT_EQ(box.steps(), 1);
    EXPECT_EQ(view.text()->material(FrontSlot).diffuse, QColor(Qt::red));
    box.document.undo.undo();
    EXPECT_EQ(view.frontColor().value<ql::Color>(), ql::Color::calibratedRgb(0, 0, 1));
    EXPECT_EQ(view.text()->material(FrontSlot).diffuse, QColor(Qt::blue));
    box.document.undo.redo();
    EXPECT_EQ(view.text()->material(FrontSlot).diffuse, QColor(Qt::red));

    view.setValueForKey(u"fontSize", 150);
    EXPECT_EQ(box.steps(), 2);
    box.document.undo.undo();
    EXPECT_EQ(cameraScale(view.cameraNode()), 80.0);
    EXPECT_EQ(view.fontSize().typeId(), QMetaType::Int);

    // The border and inner shadow the element styles record their undo too.
    view.setValueForKeyPath(u"border.lineWidth", 4.0);
    EXPECT_EQ(box.steps(), 2);
}

TEST(Text3DView, ConstructionAndReadingRecordNothing)
{
    Text3DBox box;
    std::unique_ptr<ZVPuttyView> copy = box.element->copy();
    ASSERT_TRUE(copy);
    auto made = ZVPuttyView::initWith3DText(QStringLiteral("New"));
    EXPECT_EQ(box.steps(), 0);
    // Only the page's own record of the additions: undone, the page is as it was.
    box.page->addPuttyView(copy.release());
    box.page->addPuttyView(made.release());
    EXPECT_EQ(box.steps(), 1);
    box.document.undo.undo();
    EXPECT_EQ(box.page->puttyViews(), QList<ZVPuttyView*> {box.element});
}

TEST(Text3DView, EditModeAndCameraControl)
{
    Text3DBox box;
    ZV3DTextView& view = *box.view;
    view.setAllowsCameraControl(true);
    EXPECT_TRUE(view.edited());
    view.setEditMode(true);
    EXPECT_TRUE(box.page->valueForKey(u"editMode").toBool());
    ASSERT_FALSE(box.element->handles().isEmpty());
    for (const ZVHandleView* handle : box.element->handles())
        EXPECT_TRUE(handle->isHidden());

    // The first drag takes a copy of the camera; the scene's camera and its
    // lights stay.
    const QVector3D cameraAt = view.cameraNode().position();
    view.cameraMouseDown(QPointF(100, 60));
    view.cameraMouseDragged(QPointF(200, 60));
    view.cameraMouseUp(QPointF(205, 60));
    EXPECT_EQ(view.cameraNode().position(), cameraAt);
    EXPECT_EQ(view.cameraNode().children().size(), 3u);
    EXPECT_TRUE(view.pointOfView().children().empty());
    // 105 points across a 420-point content turn the view by 45°.
    const QQuaternion turn = view.pointOfView().orientation() * view.cameraNode().orientation().conjugated();
    QVector3D axis;
    float degrees = 0;
    turn.getAxisAndAngle(&axis, &degrees);
    EXPECT_NEAR(degrees, 45.0, 0.01);
    EXPECT_NEAR(std::abs(axis.y()), 1.0, 1e-4) << "a horizontal drag turns about the up axis";

    // It stays turned after edit mode ends; without camera control drags do nothing.
    box.page->clearPuttyViews();
    EXPECT_FALSE(view.allowsCameraControl());
    EXPECT_FALSE(box.page->valueForKey(u"editMode").toBool());
    for (const ZVHandleView* handle : box.element->handles())
        EXPECT_FALSE(handle->isHidden());
    const QQuaternion kept = view.pointOfView().orientation();
    view.cameraMouseDown(QPointF(100, 60));
    view.cameraMouseDragged(QPointF(300, 160));
    EXPECT_EQ(view.pointOfView().orientation(), kept);
}
