// Pages that hold the same picture open with one decoded copy of it, shared
// by their elements, and save it back byte for byte.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"

#include <QBuffer>

using namespace ql;

using SharedPictures = ql::testing::DocumentFixture;

namespace {

Image jpegOf(QColor colour)
{
    QImage pixels(64, 48, QImage::Format_RGB32);
    pixels.fill(colour);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    pixels.save(&buffer, "JPEG", 90);
    return Image::fromData(jpeg).value();
}

const uchar* pixelsOf(const ZVPuttyView* element)
{
    const auto* content = qobject_cast<const ZVImageView*>(element->contentView());
    return content ? content->originalImage().firstRepresentation().image().constBits() : nullptr;
}

} // namespace

TEST_F(SharedPictures, OnePictureOnManyPagesIsDecodedOnceAndSavedUnchanged)
{
    QByteArray file;
    {
        Document document;
        const Image photo = jpegOf(Qt::darkCyan);
        for (int p = 0; p < 3; ++p) {
            ZVCanvasView* page = document.newPage();
            document.contentPages().append(page);
            page->addPuttyView(ZVPuttyView::initWithImage(photo).release());
            if (p == 1)
                page->addPuttyView(ZVPuttyView::initWithImage(jpegOf(Qt::red)).release());
        }
        file = *DocumentArchive::write(document);
    }
    Document document;
    ASSERT_TRUE(document.readFromData(file, kDesktopDocumentType));
    const QList<ZVCanvasView*>& pages = document.contentPages();
    ASSERT_EQ(pages.size(), 3);
    const uchar* first = pixelsOf(pages[0]->puttyViews().value(0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(pixelsOf(pages[1]->puttyViews().value(0)), first);
    EXPECT_EQ(pixelsOf(pages[2]->puttyViews().value(0)), first);
    EXPECT_NE(pixelsOf(pages[1]->puttyViews().value(1)), first) << "another picture is its own";

    // Editing one element's picture leaves the others' alone.
    auto* edited = qobject_cast<ZVImageView*>(pages[2]->puttyViews()[0]->contentView());
    edited->setOriginalImage(jpegOf(Qt::yellow));
    EXPECT_EQ(pixelsOf(pages[0]->puttyViews().value(0)), first);
    EXPECT_EQ(QColor(qobject_cast<ZVImageView*>(pages[0]->puttyViews()[0]->contentView())
                         ->originalImage().firstRepresentation().image().pixel(10, 10)).red(),
              QColor(Qt::darkCyan).red());
    edited->setOriginalImage(qobject_cast<ZVImageView*>(pages[0]->puttyViews()[0]->contentView())->originalImage());
    EXPECT_EQ(*DocumentArchive::write(document), file) << "the round trip changes nothing";
}
