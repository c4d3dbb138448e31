// Copy, paste and duplicate through the real clipboard of the offscreen
// platform, and adding pictures.
#include "CanvasTestSupport.h"

#include "canvas/ElementPasteboard.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"
#include "platform/archive/KeyedArchiver.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>

using ql::ElementPasteboard;

namespace {

struct Page {
    TestDocument document;
    ZVCanvasView* page = document.addPage();

    ZVPuttyView* add(std::unique_ptr<ZVPuttyView> made, QRectF frame, ZVPuttyViewGroup* layer = nullptr)
    {
        made->setFrame(frame);
        made->setLayoutLayerGroup(layer);
        ZVPuttyView* element = made.release();
        page->addPuttyView(element);
        endTurn();
        return element;
    }
    ZVPuttyView* addText(const QString& text, QRectF frame)
    {
        auto made = ZVPuttyView::initWithText();
        qobject_cast<ZVTextView*>(made->contentView())->setString(text);
        return add(std::move(made), frame);
    }
    ZVPuttyView* addShape(QRectF frame, ZVPuttyViewGroup* layer = nullptr)
    {
        return add(ZVPuttyView::initWithVector(ql::BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("square")),
                   frame, layer);
    }
    QList<ZVPuttyView*> added(qsizetype before) const { return page->puttyViews().mid(before); }
};

ql::Image picture(int width, int height)
{
    QImage bitmap(width, height, QImage::Format_RGB32);
    bitmap.fill(Qt::darkCyan);
    return ql::Image(bitmap);
}

void setClipboard(QMimeData* data)
{
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace

TEST(PageClipboard, CopiedTextBoxKeepsItsSettingsAndOffersItsTextToOtherPrograms)
{
    Page sample;
    ZVPuttyView* box = sample.addText(QStringLiteral("Hello there"), QRectF(100, 120, 300, 200));
    for (const char16_t* key : {u"shadowEnabled", u"causesWrap", u"isLocked", u"hideFromPrinting"})
        box->setValueForKey(QStringView(key), true);
    box->backgroundView()->setBackgroundColor(QVariant::fromValue(ql::Color::deviceRgb(1, 0, 0)));
    auto* chain = new ZVPuttyViewGroup(QStringLiteral("Chain"), sample.page);
    chain->appendUuid(box->uuid());
    box->setTextGroup(chain);
    box->setIsActive(true);

    sample.page->copy();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QStringLiteral("com.quiverleaf.Quiverleaf")));
    EXPECT_EQ(data->text(), QStringLiteral("Hello there"));
    EXPECT_TRUE(data->html().contains(QStringLiteral("Hello there")));
    EXPECT_FALSE(data->hasImage());

    const qsizetype before = sample.page->puttyViews().size();
    sample.page->paste();
    endTurn();
    const QList<ZVPuttyView*> pasted = sample.added(before);
    ASSERT_EQ(pasted.size(), 1);
    ZVPuttyView* copy = pasted.first();
    EXPECT_EQ(copy->frame(), QRectF(115, 135, 300, 200)) << "15 right and down";
    EXPECT_NE(copy->uuid(), box->uuid());
    EXPECT_EQ(copy->layoutLayerGroup(), sample.page->currentLayoutLayer());
    EXPECT_EQ(copy->textGroup(), nullptr) << "only the chain link goes";
    for (const char16_t* key : {u"shadowEnabled", u"causesWrap", u"isLocked", u"hideFromPrinting"})
        EXPECT_TRUE(copy->valueForKey(QStringView(key)).toBool()) << QString::fromUtf16(key).toStdString();
    EXPECT_EQ(copy->backgroundView()->backgroundColor(), box->backgroundView()->backgroundColor());
    EXPECT_EQ(qobject_cast<ZVTextView*>(copy->contentView())->string(), QStringLiteral("Hello there"));

    // A second paste is another element; one undo takes it off.
    sample.page->paste();
    endTurn();
    ASSERT_EQ(sample.added(before).size(), 2);
    EXPECT_NE(sample.added(before).at(1)->uuid(), copy->uuid());
    sample.document.undo.undo();
    EXPECT_EQ(sample.added(before), pasted);
}

TEST(PageClipboard, ShapesTravelAloneAndPicturesBesideTheirElement)
{
    Page sample;
    ZVPuttyView* shape = sample.addShape(QRectF(10, 10, 100, 100));
    shape->setIsActive(true);
    sample.page->copy();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(data->formats(), QStringList {QStringLiteral("com.quiverleaf.Quiverleaf")});

    shape->setIsActive(false);
    ZVPuttyView* image = sample.add(ZVPuttyView::initWithImage(picture(40, 20)), QRectF(0, 0, 120, 100));
    image->setIsActive(true);
    sample.page->copy();
    data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(40, 20));
}

TEST(PageClipboard, OneElementLandsNextToTheElementStillSelected)
{
    Page sample;
    ZVPuttyView* source = sample.addShape(QRectF(10, 10, 100, 100));
    source->setIsActive(true);
    sample.page->copy();
    source->setIsActive(false);
    // Selected in another layer, so highlighting the current one keeps it.
    ZVPuttyViewGroup* lower = sample.page->currentLayoutLayer();
    sample.page->addLayoutLayer(QStringLiteral("Upper"));
    sample.page->setCurrentLayoutLayer(sample.page->layoutLayers().last());
    ZVPuttyView* other = sample.addShape(QRectF(300, 400, 80, 80), lower);
    other->setIsActive(true);
    const qsizetype before = sample.page->puttyViews().size();
    sample.page->paste();
    ASSERT_EQ(sample.added(before).size(), 1);
    EXPECT_EQ(sample.added(before).first()->frame(), QRectF(315, 415, 100, 100));
}

TEST(PageClipboard, DuplicateMakesNewElementsThatFormTheirOwnGroup)
{
    Page sample;
    QList<ZVPuttyView*> sources;
    for (int i = 0; i < 3; ++i)
        sources.append(sample.addShape(QRectF(20 + 100 * i, 50, 90, 90)));
    auto* group = new ZVPuttyViewGroup(QStringLiteral("Group"), sample.page);
    for (ZVPuttyView* member : sources.mid(0, 2)) {
        member->setGroup(group);
        group->appendUuid(member->uuid());
    }
    for (ZVPuttyView* element : sources)
        element->setIsActive(true);
    const int steps = sample.document.undo.undoCount();
    sample.page->duplicate();
    endTurn();
    const QList<ZVPuttyView*> copies = sample.added(3);
    ASSERT_EQ(copies.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(copies[i]->frame(), sources[i]->frame().translated(15, 15));
        EXPECT_NE(copies[i]->uuid(), sources[i]->uuid());
        EXPECT_TRUE(sample.page->currentLayoutLayer()->listsUuid(copies[i]->uuid()));
    }
    EXPECT_EQ(sample.document.undo.undoCount(), steps + 1) << "one command, one step";

    // The copies of the two members are a group of their own.
    ASSERT_NE(copies[0]->group(), nullptr);
    EXPECT_NE(copies[0]->group(), group);
    EXPECT_EQ(copies[1]->group(), copies[0]->group());
    EXPECT_EQ(copies[0]->group()->groupedViews(), (QStringList {copies[0]->uuid(), copies[1]->uuid()}));
    EXPECT_EQ(copies[2]->group(), nullptr);
    sample.page->clearPuttyViews();
    copies[0]->setIsActive(true);
    EXPECT_EQ(sample.page->activeViews(), copies.mid(0, 2)) << "not the originals";

    sample.document.undo.undo();
    EXPECT_EQ(sample.page->puttyViews(), sources);
}

TEST(PageClipboard, ForeignPicturesAndTextAndGarbage)
{
    Page sample;
    auto* pictureData = new QMimeData;
    pictureData->setImageData(picture(50, 30).bitmap());
    pictureData->setText(QStringLiteral("the picture's address"));
    setClipboard(pictureData);
    sample.page->paste();
    ASSERT_EQ(sample.page->puttyViews().size(), 1) << "the picture, not its text too";
    EXPECT_EQ(sample.page->puttyViews().first()->contentViewType(), ZVPuttyView::ImageContent);

    QGuiApplication::clipboard()->setText(QStringLiteral("plain words"));
    sample.page->paste();
    ASSERT_EQ(sample.page->puttyViews().size(), 2);
    ZVPuttyView* box = sample.page->puttyViews().last();
    EXPECT_EQ(qobject_cast<ZVTextView*>(box->contentView())->string(), QStringLiteral("plain words"));
    EXPECT_EQ(box->frame().center(), sample.page->bounds().center());

    // Text while a box is edited is the box's to paste.
    sample.page->setFocusedPuttyView(box);
    sample.page->setValueForKey(u"editMode", true);
    sample.page->paste();
    EXPECT_EQ(sample.page->puttyViews().size(), 2);
    sample.page->setValueForKey(u"editMode", false);

    // Garbage, a page, or a list holding a stranger under our type: nothing.
    ql::KeyedArchiver pageArchive;
    pageArchive.encodeRootObject(QVariantList {QVariant::fromValue(static_cast<QObject*>(sample.page))});
    ql::KeyedArchiver mixedArchive;
    mixedArchive.encodeRootObject(QVariantList {QVariant::fromValue(static_cast<QObject*>(box)), QStringLiteral("x")});
    for (const QByteArray& payload : {QByteArray("bplist00 not at all"), *pageArchive.finish(), *mixedArchive.finish()}) {
        auto* garbage = new QMimeData;
        garbage->setData(ElementPasteboard::elementType(), payload);
        setClipboard(garbage);
        sample.page->paste();
        EXPECT_EQ(sample.page->puttyViews().size(), 2);
    }
}

TEST(PageClipboard, AddImageHalvesPicturesAsLargeAsThePage)
{
    Page sample;
    ZVPuttyView* before = sample.addShape(QRectF(0, 0, 90, 90));
    before->setIsActive(true);
    ZVPuttyView* element = sample.page->addImage(picture(1000, 500));
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->contentFrame().size(), QSizeF(306, 153));
    EXPECT_EQ(element->frame().center(), sample.page->bounds().center());
    EXPECT_TRUE(element->isActive());
    EXPECT_FALSE(before->isActive()) << "alone selected";
    EXPECT_EQ(sample.page->focusedPuttyView(), element);
    EXPECT_EQ(sample.page->addImage(picture(120, 80))->contentFrame().size(), QSizeF(120, 80)) << "its own size";
    EXPECT_EQ(sample.page->addImage(ql::Image()), nullptr);
}

TEST(PageClipboard, PageCopyIsDeepAndIndependent)
{
    Page sample;
    ZVPuttyView* box = sample.addText(QStringLiteral("Kept"), QRectF(30, 40, 200, 100));
    std::unique_ptr<ZVCanvasView> copy = sample.page->copyWithZone();
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->puttyViews().size(), 1);
    EXPECT_NE(copy->puttyViews().first(), box);
    EXPECT_EQ(copy->puttyViews().first()->frame(), box->frame());
    EXPECT_EQ(copy->uuid(), sample.page->uuid());
    EXPECT_NE(copy->currentLayoutLayer(), sample.page->currentLayoutLayer());
}
