#include "canvas/TextChains.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/ZVPuttyViewGroup.h"

#include <QHash>
#include <QSet>

namespace ql {

void keepTextChainsWithin(const QList<ZVPuttyView*>& elements)
{
    // A record that serves as a layer or a group is no chain: it is left
    // as it is, and the boxes that name it stand alone.
    QSet<const ZVPuttyViewGroup*> otherRoles;
    for (const ZVPuttyView* element : elements) {
        if (!element)
            continue;
        otherRoles.insert(element->layoutLayerGroup());
        otherRoles.insert(element->group());
        if (const ZVCanvasView* page = element->canvas()) {
            for (const auto& layer : page->layoutLayers())
                otherRoles.insert(layer.data());
        }
    }
    QHash<ZVPuttyViewGroup*, QList<ZVPuttyView*>> members;
    QList<ZVPuttyViewGroup*> chains;
    for (ZVPuttyView* element : elements) {
        ZVPuttyViewGroup* chain = element ? element->textGroup() : nullptr;
        if (!chain)
            continue;
        if (!members.contains(chain))
            chains.append(chain);
        members[chain].append(element);
    }
    for (ZVPuttyViewGroup* chain : std::as_const(chains)) {
        const QList<ZVPuttyView*>& held = members.value(chain);
        QSet<QString> present;
        for (const ZVPuttyView* element : held)
            present.insert(element->uuid());
        QStringList kept;
        for (const QString& uuid : chain->groupedViews()) {
            if (present.contains(uuid) && !kept.contains(uuid))
                kept.append(uuid);
        }
        if (kept.size() < 2 || otherRoles.contains(chain)) {
            for (ZVPuttyView* element : held)
                element->setTextGroup(nullptr);
            continue;
        }
        if (kept != chain->groupedViews())
            chain->setGroupedViews(kept);
        // A box the chain does not list is no member of it.
        for (ZVPuttyView* element : held) {
            if (!kept.contains(element->uuid()))
                element->setTextGroup(nullptr);
        }
    }
}

} // namespace ql
