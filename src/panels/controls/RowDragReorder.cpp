#include "panels/controls/RowDragReorder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFrame>
#include <QMouseEvent>

namespace ql {

RowDragReorder::RowDragReorder(QAbstractItemView* view)
    : QObject(view), m_view(view), m_indicator(new QFrame(view->viewport()))
{
    m_indicator->setObjectName(QStringLiteral("rowDropIndicator"));
    m_indicator->setFrameShape(QFrame::HLine);
    m_indicator->setStyleSheet(QStringLiteral("background: palette(highlight); border: none;"));
    m_indicator->hide();
    view->viewport()->installEventFilter(this);
}

int RowDragReorder::rowAt(QPoint point) const
{
    const int rows = m_view->model() ? m_view->model()->rowCount() : 0;
    if (rows == 0)
        return -1;
    const QModelIndex index = m_view->indexAt(point);
    if (index.isValid())
        return index.row();
    const QRect first = m_view->visualRect(m_view->model()->index(0, 0));
    return point.y() < first.top() ? 0 : rows - 1;
}

void RowDragReorder::showIndicator(int target)
{
    const QRect row = m_view->visualRect(m_view->model()->index(target, 0));
    // Moving down lands under the target row, moving up above it.
    const int y = target > m_from ? row.bottom() : row.top();
    m_indicator->setGeometry(0, y - 1, m_view->viewport()->width(), 2);
    m_indicator->show();
    m_indicator->raise();
}

void RowDragReorder::end()
{
    m_from = -1;
    m_dragging = false;
    m_indicator->hide();
    m_view->viewport()->unsetCursor();
}

bool RowDragReorder::eventFilter(QObject* watched, QEvent* event)
{
    // Only the mouse matters; the type is checked first because the viewport
    // also sends events while the view is being destroyed.
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    if (watched != m_view->viewport())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        end();
        if (mouse->button() == Qt::LeftButton && m_view->indexAt(mouse->position().toPoint()).isValid()) {
            m_from = m_view->indexAt(mouse->position().toPoint()).row();
            m_start = mouse->position().toPoint();
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_from < 0 || !(mouse->buttons() & Qt::LeftButton))
            return false;
        const QPoint at = mouse->position().toPoint();
        if (!m_dragging && (at - m_start).manhattanLength() < QApplication::startDragDistance())
            return true;
        if (!m_dragging) {
            m_dragging = true;
            m_view->viewport()->setCursor(Qt::ClosedHandCursor);
        }
        showIndicator(rowAt(at));
        // The view would drag its selection along instead.
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (!m_dragging) {
            m_from = -1;
            return false;
        }
        const int from = m_from;
        const int to = rowAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        end();
        if (to >= 0 && to != from)
            emit rowMoved(from, to);
        return true;
    }
    default: return false;
    }
}

} // namespace ql
