#include "canvas/painting/ExposedArea.h"

#include <QPaintEngine>
#include <QPainter>

namespace ql {

QRegion ExposedArea::of(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    const QRegion system = engine ? engine->systemClip() : QRegion();
    if (system.isEmpty())
        return {};
    // The engine's pixels are the window's: a widget inside it is drawn
    // through an offset, which the device transform holds after the world's.
    const QTransform offset = painter.worldTransform().inverted() * painter.deviceTransform();
    if (offset.type() > QTransform::TxTranslate)
        return {};
    return system.translated(-qRound(offset.dx()), -qRound(offset.dy()));
}

bool ExposedArea::reaches(const QPainter& painter, const QRectF& rect)
{
    const QPaintEngine* engine = painter.paintEngine();
    const QRegion system = engine ? engine->systemClip() : QRegion();
    // A pixel more all round, against rounding and antialiasing.
    return system.isEmpty()
           || system.intersects(painter.deviceTransform().mapRect(rect).toAlignedRect().adjusted(-1, -1, 1, 1));
}

} // namespace ql
