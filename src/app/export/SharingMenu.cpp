#include "app/export/SharingMenu.h"

#include <QAction>
#include <QMenu>

namespace ql {

QMenu* menuForSharingItems(const SharingItems& items, const QList<SharingService*>& services,
                           const std::function<void(QAction* item)>& action, QWidget* parent)
{
    QMenu* menu = nullptr;
    for (SharingService* service : services) {
        if (!service || !service->canPerformWithItems(items))
            continue;
        if (!menu) {
            menu = new QMenu(parent);
            menu->setObjectName(QStringLiteral("MountainLionSharingMenu"));
            menu->setTitle(QStringLiteral("MountainLionSharingMenu"));
        }
        QAction* item = menu->addAction(service->image(), service->title());
        item->setData(QVariant::fromValue(service));
        QObject::connect(item, &QAction::triggered, item, [item, action] {
            if (action)
                action(item);
        });
    }
    return menu;
}

SharingService* sharingServiceOfItem(const QAction* item)
{
    return item ? item->data().value<SharingService*>() : nullptr;
}

} // namespace ql
