// The share submenu: one item per sharing service that accepts the items,
// titled and pictured like the service, which the item keeps.
#pragma once

#include "app/export/SharingService.h"

#include <QMetaType>
#include <functional>

class QAction;
class QMenu;
class QWidget;

Q_DECLARE_METATYPE(ql::SharingService*)

namespace ql {

// Null when no service accepts the items. Choosing an item calls `action`
// with its service. The menu is titled "MountainLionSharingMenu" and
// belongs to `parent`.
QMenu* menuForSharingItems(const SharingItems& items, const QList<SharingService*>& services,
                           const std::function<void(QAction* item)>& action, QWidget* parent);
// The service a share menu item stands for; null for any other item.
SharingService* sharingServiceOfItem(const QAction* item);

} // namespace ql
