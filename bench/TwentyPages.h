#pragma once
// The output benchmark's document: twenty Letter pages, each with five long
// text frames, ten turned rectangles and one 1600 × 1200 JPEG photo (the
// same bytes on every page, or one for each). Opening benchmarks read it back.
#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/Color.h"
#include "shapes/ZVVectorView.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <functional>

namespace bench {

inline QString longText()
{
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("The quick brown fox jumps over the lazy dog, sentence %1. ").arg(i);
    return text;
}

// The pixels as a stored JPEG picture, as a photo placed from a file is kept.
inline ql::Image jpegPicture(const QImage& pixels)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    pixels.save(&buffer, "JPEG", 85);
    return ql::Image::fromData(jpeg).value();
}

inline ql::Image photo()
{
    QImage pixels(1600, 1200, QImage::Format_RGB32);
    QPainter painter(&pixels);
    QLinearGradient sky(0, 0, 1600, 1200);
    sky.setColorAt(0, Qt::darkBlue);
    sky.setColorAt(1, Qt::yellow);
    painter.fillRect(pixels.rect(), sky);
    painter.end();
    return jpegPicture(pixels);
}

inline ZVPuttyView* redRectangle(const QRectF& box, double rotation)
{
    ZVPuttyView* element =
        ZVPuttyView::initWithVector(ql::BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("square")).release();
    element->setFrame(box.adjusted(-40, -40, 40, 40));
    element->setFrameRotation(rotation);
    auto* shape = qobject_cast<ZVVectorView*>(element->contentView());
    shape->backgroundView()->setBackgroundColor(QVariant::fromValue(ql::Color::deviceRgb(0.8, 0.2, 0.1)));
    shape->backgroundView()->setBackgroundType(1);
    return element;
}

// `photoOfPage` gives each page a photo of its own; by default all show one.
inline void addTwentyPages(ql::Document& document, const std::function<ql::Image(int)>& photoOfPage = {})
{
    const QString text = longText();
    const ql::Image shared = photoOfPage ? ql::Image() : photo();
    for (int p = 0; p < 20; ++p) {
        ZVCanvasView* page = document.newPage();
        document.contentPages().append(page);
        for (int i = 0; i < 5; ++i) {
            ZVPuttyView* frame = ZVPuttyView::initWithText().release();
            frame->setFrame(QRectF(36 + (i % 2) * 280, 36 + (i / 2) * 150, 260, 140).adjusted(-40, -40, 40, 40));
            page->addPuttyView(frame);
            qobject_cast<ZVTextView*>(frame->contentView())->setString(text);
        }
        for (int i = 0; i < 10; ++i)
            page->addPuttyView(redRectangle(QRectF(60 + 45 * i, 520, 40, 30), 9 * i));
        ZVPuttyView* image = ZVPuttyView::initWithImage(photoOfPage ? photoOfPage(p) : shared).release();
        image->setFrame(QRectF(306, 580, 240, 180).adjusted(-40, -40, 40, 40));
        page->addPuttyView(image);
    }
}

} // namespace bench
