// Reordering the rows of a list or table by dragging one onto another's
// place: a press on a row, a move past the drag distance, a release. A line
// shows where the row will land. The rows stay as they are; whoever listens
// to `rowMoved` changes the model (and reloads the view).
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QAbstractItemView;
class QFrame;

namespace ql {

class RowDragReorder : public QObject {
    Q_OBJECT
public:
    // Watches the view's viewport; lives as long as the view.
    explicit RowDragReorder(QAbstractItemView* view);

    bool isDragging() const { return m_dragging; }

signals:
    // The row at `from` was dropped where row `to` stands.
    void rowMoved(int from, int to);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The row a point of the viewport falls on; above the first row is 0,
    // below the last row is the last.
    int rowAt(QPoint point) const;
    void showIndicator(int target);
    void end();

    QAbstractItemView* m_view;
    QFrame* m_indicator;
    int m_from = -1;
    QPoint m_start;
    bool m_dragging = false;
};

} // namespace ql
