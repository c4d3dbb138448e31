// A 3D text element on a page of a test document, and the picture checks
// its tests share.
#pragma once

#include "../canvas/CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"
#include "content/scene3d/SceneNode.h"

#include <QImage>
#include <QObject>
#include <QtMath>
#include <memory>

struct Text3DBox {
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element = nullptr;
    ZV3DTextView* view = nullptr;

    // The frame the document gives new 3D text.
    explicit Text3DBox(const QRectF& frame = QRectF(56, 296, 500, 200))
    {
        element = ZVPuttyView::initWith3DText(QObject::tr("Double click to rotate me.")).release();
        page->addPuttyView(element);
        element->setFrame(frame);
        view = qobject_cast<ZV3DTextView*>(element->contentView());
        endTurn();
        document.undo.removeAllActions();
    }
    int steps()
    {
        endTurn();
        return document.undo.undoCount();
    }
};

namespace text3d {

// A point of view straight in front of the scene's origin, looking along −z.
inline std::unique_ptr<ql::scene3d::SceneNode> frontalPointOfView(double scale, double turnDegrees = 0.0)
{
    auto node = std::make_unique<ql::scene3d::SceneNode>();
    ql::scene3d::Camera camera;
    camera.orthographicScale = scale;
    camera.zFar = 1e6;
    camera.usesOrthographicProjection = true;
    node->setCamera(camera);
    const double radians = qDegreesToRadians(turnDegrees);
    node->setPosition(QVector3D(float(1000 * std::sin(radians)), 0, float(1000 * std::cos(radians))));
    node->setRotation(QVector3D(0, 1, 0), radians);
    return node;
}

// The pixels more than half covered.
inline QImage opaqueMask(const QImage& picture)
{
    QImage mask(picture.size(), QImage::Format_Grayscale8);
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar* in = rgba.constScanLine(y);
        uchar* out = mask.scanLine(y);
        for (int x = 0; x < rgba.width(); ++x)
            out[x] = in[x * 4 + 3] > 128 ? 255 : 0;
    }
    return mask;
}

inline QRect opaqueBounds(const QImage& picture)
{
    const QImage mask = opaqueMask(picture);
    int left = mask.width(), top = mask.height(), right = -1, bottom = -1;
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            if (mask.constScanLine(y)[x]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

inline double intersectionOverUnion(const QImage& a, const QImage& b)
{
    qint64 both = 0, either = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const bool inA = a.constScanLine(y)[x] != 0, inB = b.constScanLine(y)[x] != 0;
            both += inA && inB;
            either += inA || inB;
        }
    }
    return either ? double(both) / double(either) : 0.0;
}

// Opaque pixels of about the colour, straight (not premultiplied) RGB.
inline qint64 countColour(const QImage& picture, QColor colour, int tolerance = 40)
{
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    qint64 count = 0;
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar* p = rgba.constScanLine(y);
        for (int x = 0; x < rgba.width(); ++x, p += 4) {
            if (p[3] >= 250 && std::abs(p[0] - colour.red()) <= tolerance &&
                std::abs(p[1] - colour.green()) <= tolerance && std::abs(p[2] - colour.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

// Opaque grey pixels (the default side colour, however lit).
inline qint64 countGrey(const QImage& picture)
{
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    qint64 count = 0;
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar* p = rgba.constScanLine(y);
        for (int x = 0; x < rgba.width(); ++x, p += 4) {
            if (p[3] >= 250 && p[0] > 40 && std::abs(p[0] - p[1]) < 12 && std::abs(p[1] - p[2]) < 12)
                ++count;
        }
    }
    return count;
}

} // namespace text3d
