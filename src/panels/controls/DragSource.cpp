#include "panels/controls/DragSource.h"

#include "platform/runtime/NotificationCenter.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>

namespace ql {

DragSource::Starter& DragSource::starter()
{
    static Starter starter = [](QDrag& drag) { drag.exec(Qt::CopyAction, Qt::CopyAction); };
    return starter;
}

void DragSource::start(QObject* owner, QMimeData* data, const QImage& picture, QPoint hotSpot)
{
    NotificationCenter::defaultCenter().post(QStringLiteral("disableDrawingView"));
    auto* drag = new QDrag(owner);
    drag->setMimeData(data);
    if (!picture.isNull()) {
        drag->setPixmap(QPixmap::fromImage(picture));
        drag->setHotSpot(hotSpot);
    }
    starter()(*drag);
    drag->deleteLater();
}

void DragGesture::press(const QMouseEvent& event)
{
    m_pressed = event.button() == Qt::LeftButton;
    m_pressPoint = event.position().toPoint();
}

std::optional<QPoint> DragGesture::move(const QMouseEvent& event)
{
    if (!m_pressed || !(event.buttons() & Qt::LeftButton))
        return std::nullopt;
    if ((event.position().toPoint() - m_pressPoint).manhattanLength() < QApplication::startDragDistance())
        return std::nullopt;
    m_pressed = false;
    return m_pressPoint;
}

} // namespace ql
