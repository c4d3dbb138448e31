// The page's element commands: which of them the selection enables, the
// Move to Layer submenu and its command, and the crop command.
#include "canvas/ZVCanvasView.h"

#include "canvas/CanvasHost.h"
#include "canvas/ZVPuttyView.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/undo/StateUndo.h"

#include <algorithm>

namespace {

// Commands that need at least one active element.
const QStringList& selectionCommands()
{
    static const QStringList commands = QStringLiteral(
        "copyPB: moveActivePuttyViewsBackward: moveActivePuttyViewsForward: moveActivePuttyViewsToBack: "
        "moveActivePuttyViewsToFront: delete: copy: cut: duplicate: alignViewLeft: alignViewCenter: "
        "alignViewRight: alignViewTop: alignViewMiddle: alignViewBottom: rotate180: rotate90Right: "
        "rotate90Left: flipHorizontal: flipVertical:")
                                            .split(QLatin1Char(' '));
    return commands;
}

// Lined up on the reference element: nothing to do without another one.
const QStringList& referenceCommands()
{
    static const QStringList commands = QStringLiteral(
        "alignEdgesLeft: alignEdgesRight: alignEdgesTop: alignEdgesBottom: alignCenterVertical: "
        "alignCenterHorizontal:")
                                            .split(QLatin1Char(' '));
    return commands;
}

// The outer two stay: only a third between them moves.
const QStringList& distributeCommands()
{
    static const QStringList commands {QStringLiteral("distributeEdgesVerticalByCenter:"),
                                       QStringLiteral("distributeEdgesHorizontalByCenter:")};
    return commands;
}

// The elements' UUIDs in sorted order: two lists of them hold the same
// UUIDs, each as often, when these are equal.
QStringList sortedUuidsOf(const QList<ZVPuttyView*>& elements)
{
    QStringList uuids;
    uuids.reserve(elements.size());
    for (const ZVPuttyView* element : elements)
        uuids.append(element->uuid());
    uuids.sort();
    return uuids;
}

// Which layer each of some elements is on, and the stacking lists of the
// layers they leave and join: what a move to another layer changes.
struct LayerPlaces {
    QList<QPair<QPointer<ZVPuttyView>, QPointer<ZVPuttyViewGroup>>> elements;
    QList<QPair<QPointer<ZVPuttyViewGroup>, QStringList>> lists;
};

ql::StateRestore<ZVCanvasView, LayerPlaces> layerPlacesRestore(const LayerPlaces& shape)
{
    const auto capture = [shape](ZVCanvasView&) {
        LayerPlaces now;
        for (const auto& [element, layer] : shape.elements)
            now.elements.append({element, element ? QPointer<ZVPuttyViewGroup>(element->layoutLayerGroup()) : nullptr});
        for (const auto& [layer, list] : shape.lists)
            now.lists.append({layer, layer ? layer->groupedViews() : QStringList()});
        return now;
    };
    const auto apply = [](ZVCanvasView& page, const LayerPlaces& places) {
        for (const auto& [layer, list] : places.lists)
            if (layer)
                layer->setGroupedViews(list);
        for (const auto& [element, layer] : places.elements)
            if (element)
                element->setLayoutLayerGroup(layer);
        page.layoutPuttyViews();
        ql::NotificationCenter::defaultCenter().post(QStringLiteral("redrawLayerThumbs"));
    };
    return {capture, apply};
}

} // namespace

bool ZVCanvasView::validateMenuItem(const QString& action, const ClipboardContents& clipboard)
{
    const QList<ZVPuttyView*> active = activeViews();
    const qsizetype count = active.size();
    if (action == QLatin1String("groupActivePuttyViews:")) {
        if (count < 2)
            return false;
        // Already exactly one group: nothing to group.
        const QStringList activeUuids = sortedUuidsOf(active);
        const QList<QList<ZVPuttyView*>> groups = groupMembersOf(active);
        return std::none_of(groups.cbegin(), groups.cend(),
                            [&](const QList<ZVPuttyView*>& members) { return sortedUuidsOf(members) == activeUuids; });
    }
    if (action == QLatin1String("ungroupActivePuttyViews:")) {
        return count >= 2
            && std::any_of(active.cbegin(), active.cend(), [](const ZVPuttyView* e) { return e->group() != nullptr; });
    }
    if (action == QLatin1String("lockActivePuttyViews:")) {
        return count >= 1
            && std::none_of(active.cbegin(), active.cend(), [](const ZVPuttyView* e) { return e->isLocked(); });
    }
    if (action == QLatin1String("unlockActivePuttyViews:"))
        return std::any_of(active.cbegin(), active.cend(), [](const ZVPuttyView* e) { return e->isLocked(); });
    if (selectionCommands().contains(action))
        return count >= 1;
    if (referenceCommands().contains(action))
        return count >= 2 && alignmentReference() != nullptr;
    if (distributeCommands().contains(action))
        return count >= 3;
    if (action == QLatin1String("paste:"))
        return clipboard.element || clipboard.image || clipboard.text;
    if (action == QLatin1String("clickMoveToLayerMenu:"))
        return count >= 1 && m_layoutLayers.size() >= 2;
    return true;
}

QList<ZVCanvasView::LayerMenuItem> ZVCanvasView::moveToLayerMenuItems() const
{
    QList<LayerMenuItem> items;
    const ZVPuttyViewGroupList layers = layoutLayersReversed();
    const ZVPuttyViewGroup* current = currentLayoutLayer();
    for (qsizetype i = 0; i < layers.size(); ++i)
        items.append({layers.at(i)->groupName(), int(i), layers.at(i) != current});
    return items;
}

void ZVCanvasView::movePuttyViewToLayer(int tag)
{
    const ZVPuttyViewGroupList layers = layoutLayersReversed();
    if (tag < 0 || tag >= layers.size())
        return;
    ZVPuttyViewGroup* target = layers.at(tag);
    // One undo step puts every moved element back where it stood in its layer.
    const QList<ZVPuttyView*> moving = activeViews();
    LayerPlaces before;
    QList<ZVPuttyViewGroup*> touched {target};
    for (ZVPuttyView* element : moving) {
        before.elements.append({element, element->layoutLayerGroup()});
        if (element->layoutLayerGroup() && !touched.contains(element->layoutLayerGroup()))
            touched.append(element->layoutLayerGroup());
    }
    for (ZVPuttyViewGroup* layer : touched)
        before.lists.append({layer, layer->groupedViews()});
    if (!moving.isEmpty())
        ql::registerStateRestore(undoManager(), *this, before, layerPlacesRestore(before));
    for (ZVPuttyView* element : moving) {
        if (ZVPuttyViewGroup* from = element->layoutLayerGroup())
            from->removeUuid(element->uuid());
        target->appendUuid(element->uuid());
        element->setLayoutLayerGroup(target);
    }
    layoutPuttyViews();
    // The moved elements' new layer becomes current, with nothing selected.
    setCurrentLayoutLayer(target);
    clearPuttyViews();
    ql::NotificationCenter::defaultCenter().post(QStringLiteral("redrawLayerThumbs"));
}

void ZVCanvasView::cropImage()
{
    const QList<ZVPuttyView*> active = activeViews();
    if (active.isEmpty())
        return;
    if (ql::CanvasHost* host = canvasHost())
        host->editImage(active.first());
}
