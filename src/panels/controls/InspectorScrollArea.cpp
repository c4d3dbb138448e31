#include "panels/controls/InspectorScrollArea.h"

#include <QEvent>
#include <QScrollBar>

namespace ql {

InspectorScrollArea::InspectorScrollArea(QWidget* parent) : QScrollArea(parent)
{
    // A resizable area would let the inspector shrink to its minimum: the
    // size is chosen here instead.
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A click on one of its buttons must leave the keys where they were: with
    // a box being edited, typing goes on in the box with the style just chosen.
    setFocusPolicy(Qt::NoFocus);
}

void InspectorScrollArea::fitWidget()
{
    QWidget* shown = widget();
    if (!shown)
        return;
    const QSize room = viewport()->size();
    const int width = std::max(room.width(), shown->minimumSizeHint().width());
    int natural = std::max(shown->sizeHint().height(), shown->minimumSizeHint().height());
    // Wrapped captions grow as the pane narrows.
    if (shown->hasHeightForWidth())
        natural = std::max(natural, shown->heightForWidth(width));
    const QSize wanted(width, std::max(room.height(), natural));
    if (shown->size() != wanted)
        shown->resize(wanted);
}

bool InspectorScrollArea::eventFilter(QObject* watched, QEvent* event)
{
    // Rows shown, hidden or grown: the inspector's natural height changed.
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        fitWidget();
    return QScrollArea::eventFilter(watched, event);
}

void InspectorScrollArea::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    fitWidget();
}

} // namespace ql
