#include "GridTestSupport.h"
#include "../PanelTestSupport.h"

#include <QDrag>
#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

Image square(int side)
{
    QImage bitmap(side, side, QImage::Format_ARGB32);
    bitmap.fill(Qt::green);
    return Image(bitmap);
}

} // namespace

TEST(GridDrag, PayloadIsTheFirstFieldPresent)
{
    BezierPath path = BezierPath::rect(QRectF(0, 0, 10, 20));
    GVGridViewItem item;
    item.setItemPath(path);
    item.setItemName(QStringLiteral("square"));
    item.setItemView(QByteArrayLiteral("element"));
    item.setItemURL(QUrl(QStringLiteral("http://127.0.0.1/x.png")));
    std::unique_ptr<QMimeData> data(item.dragPayload());
    EXPECT_EQ(data->formats(), (QStringList {"ZVShape"})) << "a path wins over everything else";
    EXPECT_EQ(readWithPlistlib(data->data(QStringLiteral("ZVShape")),
                               QStringLiteral("sorted(o[k.data] for k in root['NS.keys'])")),
              QStringLiteral("['name', 'path']"));
    EXPECT_EQ(readWithPlistlib(data->data(QStringLiteral("ZVShape")),
                               QStringLiteral("[o[v.data] for k, v in zip(root['NS.keys'], root['NS.objects'])"
                                              " if o[k.data] == 'name']")),
              QStringLiteral("['square']"));

    item.setItemPath(std::nullopt);
    data.reset(item.dragPayload());
    EXPECT_EQ(data->formats(), (QStringList {"ZVPuttyView"}));
    EXPECT_EQ(data->data(QStringLiteral("ZVPuttyView")), QByteArrayLiteral("element")) << "unchanged";

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("glyph.png"));
    square(30).bitmap().save(file);
    item.setItemView(QByteArray());
    item.setItemURL(QUrl::fromLocalFile(file));
    data.reset(item.dragPayload());
    EXPECT_EQ(data->urls(), (QList<QUrl> {QUrl::fromLocalFile(file)}));
    EXPECT_TRUE(data->hasImage()) << "a local file's picture goes along";
    EXPECT_EQ(data->imageData().value<QImage>().size(), QSize(30, 30));

    item.setItemURL(QUrl(QStringLiteral("http://127.0.0.1:9/remote.png")));
    data.reset(item.dragPayload());
    EXPECT_TRUE(data->hasUrls());
    EXPECT_FALSE(data->hasImage()) << "a remote picture is fetched by the page";

    item.setItemURL(QUrl());
    item.setItemImage(square(12));
    data.reset(item.dragPayload());
    EXPECT_EQ(data->imageData().value<QImage>().size(), QSize(12, 12));
}

TEST(GridDrag, GridHandsADragPastTheStartDistanceToItsItem)
{
    DragRecorder recorder;
    RecordingGridOwner owner;
    owner.count = 3;
    owner.fill = [](GVGridViewItem& item, qint64 index) {
        item.setItemImage(square(300));
        item.setDisableDragging(index == 2);
    };
    GridInScrollArea view(owner, QSize(216, 400), QSizeF(100, 100));
    const QPoint start = view.centreOf(0);
    QTest::mousePress(view.grid, Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent nudge(QEvent::MouseMove, QPointF(start + QPoint(1, 0)), view.grid->mapToGlobal(QPointF(start)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.grid, &nudge);
    EXPECT_EQ(recorder.drags, 0) << "within the start distance";
    const QPoint far = start + QPoint(QApplication::startDragDistance() + 5, 0);
    QMouseEvent move(QEvent::MouseMove, QPointF(far), view.grid->mapToGlobal(QPointF(far)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.grid, &move);
    QTest::mouseRelease(view.grid, Qt::LeftButton, Qt::NoModifier, far);
    EXPECT_EQ(recorder.drags, 1);
    EXPECT_EQ(recorder.disabled, 1) << "the drawing surface is told first";
    EXPECT_EQ(recorder.hotSpot, QPoint(100, 100));
    EXPECT_EQ(recorder.pixmapSize, QSize(200, 200));
    EXPECT_TRUE(view.grid->itemAtIndex(0)->selected()) << "the press selected it first";

    const QPoint locked = view.centreOf(2);
    QTest::mousePress(view.grid, Qt::LeftButton, Qt::NoModifier, locked);
    QMouseEvent away(QEvent::MouseMove, QPointF(locked + QPoint(30, 30)), view.grid->mapToGlobal(QPointF(locked)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.grid, &away);
    QTest::mouseRelease(view.grid, Qt::LeftButton, Qt::NoModifier, locked);
    EXPECT_EQ(recorder.drags, 1) << "dragging disabled: no drag";
    EXPECT_EQ(recorder.disabled, 1) << "and no notification";
}
