#include "panels/controls/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace ql {

QRect ScreenPlacement::availableGeometryAt(const QPoint& anchor)
{
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect ScreenPlacement::fitted(const QRect& wanted, const QRect& available)
{
    if (available.isEmpty())
        return wanted;
    QRect result = wanted;
    // Right and bottom first, so that what is too large keeps its top-left in view.
    if (result.right() > available.right())
        result.moveRight(available.right());
    if (result.bottom() > available.bottom())
        result.moveBottom(available.bottom());
    result.moveLeft(std::max(result.left(), available.left()));
    result.moveTop(std::max(result.top(), available.top()));
    return result;
}

void ScreenPlacement::place(QWidget& window, const QRect& wanted, const QPoint& anchor)
{
    window.move(fitted(wanted, availableGeometryAt(anchor)).topLeft());
}

} // namespace ql
