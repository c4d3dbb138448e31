#include "panels/grid/GVGridViewItemBase.h"

#include "platform/runtime/NotificationCenter.h"

namespace ql {

GVGridViewItemBase::GVGridViewItemBase(QWidget* parent) : QWidget(parent)
{
    // A grid posts these for its own items; answering every grid's would
    // leave items of other grids unselected while their grids keep them.
    NotificationCenter& centre = NotificationCenter::defaultCenter();
    centre.addObserver(this, selectAllNotification(), nullptr, [this](const Notification& note) {
        if (note.sender && note.sender == parentWidget())
            setSelected(true);
    });
    centre.addObserver(this, deselectAllNotification(), nullptr, [this](const Notification& note) {
        if (note.sender && note.sender == parentWidget())
            setSelected(false);
    });
}

GVGridViewItemBase::~GVGridViewItemBase()
{
    NotificationCenter::defaultCenter().removeObservers(this);
}

void GVGridViewItemBase::prepareForReuse()
{
    m_index = noIndex;
    setSelected(false);
    m_selectable = true;
    setHovered(false);
}

QString GVGridViewItemBase::selectAllNotification()
{
    return QStringLiteral("GVGridViewSelectAllItems");
}

QString GVGridViewItemBase::deselectAllNotification()
{
    return QStringLiteral("GVGridViewDeSelectAllItems");
}

} // namespace ql
